#include "ResultFrame.h"
#include "ResultListView.h"
#include "ResultsFixture.h"
#include "ShadeGroups.h"

#include <QBrush>
#include <QRadioButton>
#include <array>

namespace quilder::test {
namespace {

TEST(ViewOptions, ShowTheChosenListAndItsCounts) {
    ResultSet results;
    ResultFrame frame(results);
    frame.show();
    Fill(results.List(0), "AAB");
    Fill(results.List(2), "AAB");
    Fill(results.List(6), "AABC");
    ShadeGroups(results);
    EXPECT_EQ(results.StatusCountsText(), QStringLiteral("3 files in 2 groups."));

    frame.findChild<QRadioButton*>(QStringLiteral("opt2"))->click();
    for (int k = 0; k < kResultListCount; ++k)
        EXPECT_EQ(frame.findChild<ResultListView*>(QStringLiteral("lsv%1").arg(k))->isVisible(),
                  k == 2);

    // Switched on by the program, as New Job does: the same handler runs.
    results.List(0).Clear();
    frame.Option(0).setChecked(true);
    EXPECT_EQ(results.StatusCountsText(), QStringLiteral("0 files in 0 groups."));

    // Rows loaded since the last count leave the count unknown until the next shading.
    Fill(results.List(6), "D");
    results.OptionClicked(6); // and the options follow a list chosen elsewhere
    EXPECT_TRUE(frame.Option(6).isChecked());
    EXPECT_EQ(results.StatusCountsText(), QStringLiteral("5 files in 3 groups."));
}

// 'b' for a blue row, '.' for the default colour; every shaded column must agree.
std::string Colours(const ResultModel& list) {
    std::string colours;
    for (int i = 0; i < list.RowCount(); ++i) {
        const QVariant name = list.index(i, kNameColumn).data(Qt::ForegroundRole);
        for (int c = 1; c < kShadedColumnCount; ++c)
            EXPECT_EQ(list.index(i, c).data(Qt::ForegroundRole), name) << "row " << i;
        EXPECT_FALSE(list.index(i, kSortColumn).data(Qt::ForegroundRole).isValid());
        colours += name.isValid() && name.value<QBrush>().color() == QColor(0, 0, 255) ? 'b' : '.';
    }
    return colours;
}

TEST(ShadeGroups, PaintsEverySecondGroupFromTheBottomAndCountsThem) {
    for (const auto& [keys, colours, tag] : {std::array<std::string, 3>{"AABBC", "..bb.", "3"},
                                             {"AABB", "bb..", "2"},
                                             {"", "", "0"}}) {
        ResultSet results;
        Fill(results.List(3), keys);
        ShadeGroups(results);
        EXPECT_EQ(Colours(results.List(3)), colours) << keys;
        EXPECT_EQ(results.List(3).Tag().toStdString(), tag) << keys;
    }
    // After rows were removed, neighbouring groups still differ.
    ResultSet results;
    Fill(results.AllList(), "AABBC");
    ShadeGroups(results);
    results.AllList().removeRows(4, 1);
    ShadeGroups(results);
    EXPECT_EQ(Colours(results.AllList()), "bb..");
}

} // namespace
} // namespace quilder::test
