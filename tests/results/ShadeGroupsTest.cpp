#include "ShadeGroups.h"
#include "ResultFrame.h"
#include "ResultListView.h"
#include "ResultSet.h"

#include <QRadioButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace quilder {
namespace {

const QColor kBlue(0, 0, 255);

// Fills a list with one row per key, top to bottom.
void Fill(ResultModel& list, const std::string& keys) {
    std::vector<ResultRow> rows;
    for (char key : keys) {
        ResultRow row;
        row.text[kNameColumn] = QString(QLatin1Char(key));
        row.text[kSortColumn] = QString(QLatin1Char(key));
        rows.push_back(row);
    }
    list.InsertSorted(std::move(rows));
}

// 'b' for a blue row, '.' for the default colour; every shaded column must agree.
std::string Colours(const ResultModel& list) {
    std::string colours;
    for (int i = 0; i < list.RowCount(); ++i) {
        const QVariant name = list.index(i, kNameColumn).data(Qt::ForegroundRole);
        const bool blue = name.isValid() && name.value<QBrush>().color() == kBlue;
        for (int c = 1; c < kShadedColumnCount; ++c)
            EXPECT_EQ(list.index(i, c).data(Qt::ForegroundRole), name) << "row " << i;
        EXPECT_FALSE(list.index(i, kSortColumn).data(Qt::ForegroundRole).isValid());
        colours += blue ? 'b' : '.';
    }
    return colours;
}

struct Case {
    std::string keys;
    std::string colours;
    const char* tag;
};

TEST(ShadeGroups, PaintsEverySecondGroupFromTheBottom) {
    for (const Case& c : {Case{"AABBC", "..bb.", "3"}, Case{"AABB", "bb..", "2"},
                          Case{"A", ".", "1"}, Case{"", "", "0"}, Case{"ABCD", "b.b.", "4"}}) {
        ResultSet results;
        Fill(results.List(3), c.keys);
        ShadeGroups(results);
        EXPECT_EQ(Colours(results.List(3)), c.colours) << c.keys;
        EXPECT_EQ(results.List(3).Tag().toStdString(), c.tag) << c.keys;
        EXPECT_EQ(results.List(0).Tag(), QStringLiteral("0"));
    }
}

TEST(ShadeGroups, NeighbouringGroupsDifferAfterRowsWereRemoved) {
    ResultSet results;
    ResultModel& list = results.AllList();
    Fill(list, "AABBC");
    ShadeGroups(results);
    ASSERT_EQ(Colours(list), "..bb.");
    list.removeRows(4, 1); // C goes: B becomes the bottom group
    ShadeGroups(results);
    EXPECT_EQ(Colours(list), "bb..");
    EXPECT_EQ(list.Tag(), QStringLiteral("2"));
}

TEST(ShadeGroups, WritesTheCountsTextOfTheVisibleListOnly) {
    ResultSet results;
    QSignalSpy panel(&results, &ResultSet::statusCountsTextChanged);
    Fill(results.List(0), "AAB");
    Fill(results.List(7), "A");
    ShadeGroups(results);
    ASSERT_EQ(panel.count(), 1);
    EXPECT_EQ(panel.at(0).at(0).toString(), QStringLiteral("3 files in 2 groups."));
    EXPECT_EQ(results.CountsText(7), QStringLiteral("1 files in 1 groups."));
    EXPECT_EQ(results.CountsText(5), QStringLiteral("0 files in 0 groups."));
}

TEST(CountsText, AListEmptiedAfterItsLastCountShowsNoGroups) {
    ResultSet results;
    Fill(results.List(6), "AABC");
    ShadeGroups(results);
    results.List(6).Clear();
    results.OptionClicked(6);
    EXPECT_EQ(results.StatusCountsText(), QStringLiteral("0 files in 0 groups."));
    EXPECT_EQ(results.List(6).Tag(), QStringLiteral("3"));
    // Rows loaded since the last count: the count stays unknown until the next shading.
    Fill(results.List(6), "AB");
    results.OptionClicked(6);
    EXPECT_EQ(results.StatusCountsText(), QStringLiteral("2 files in 3 groups."));
}

TEST(ViewOptions, ShowTheChosenListAndItsCounts) {
    ResultSet results;
    ResultFrame frame(results);
    frame.show();
    Fill(results.List(2), "AAB");
    ShadeGroups(results);
    EXPECT_TRUE(frame.Option(0).isChecked());

    frame.Option(2).click();
    EXPECT_EQ(results.VisibleList(), 2);
    for (int k = 0; k < kResultListCount; ++k)
        EXPECT_EQ(frame.List(k).isVisible(), k == 2) << "list " << k;
    EXPECT_EQ(results.StatusCountsText(), QStringLiteral("3 files in 2 groups."));

    // Switched on by the program, as New Job does: the same handler runs.
    frame.Option(0).setChecked(true);
    EXPECT_TRUE(frame.List(0).isVisible());
    EXPECT_FALSE(frame.List(2).isVisible());
    EXPECT_EQ(results.StatusCountsText(), QStringLiteral("0 files in 0 groups."));

    results.OptionClicked(7); // and the options follow a list chosen elsewhere
    EXPECT_TRUE(frame.Option(7).isChecked());
    EXPECT_FALSE(frame.Option(0).isChecked());
    EXPECT_TRUE(frame.List(7).isVisible());
}

} // namespace
} // namespace quilder
