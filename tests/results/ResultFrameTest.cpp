#include "ResultFrame.h"
#include "FakeEngineHost.h"
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
    FakeEngineHost host;
    ResultFrame frame(results);
    frame.show();
    Fill(results.List(0), "AAB");
    Fill(results.List(2), "AAB");
    Fill(results.List(6), "AABC");
    ShadeGroups(results, host);
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
    FakeEngineHost host;
    for (const auto& [keys, colours, tag] : {std::array<std::string, 3>{"AABBC", "..bb.", "3"},
                                             {"AABB", "bb..", "2"},
                                             {"", "", "0"}}) {
        ResultSet results;
        Fill(results.List(3), keys);
        ShadeGroups(results, host);
        EXPECT_EQ(Colours(results.List(3)), colours) << keys;
        EXPECT_EQ(results.List(3).Tag().toStdString(), tag) << keys;
    }
    // After rows were removed, neighbouring groups still differ.
    ResultSet results;
    Fill(results.AllList(), "AABBC");
    ShadeGroups(results, host);
    results.AllList().removeRows(4, 1);
    ShadeGroups(results, host);
    EXPECT_EQ(Colours(results.AllList()), "bb..");
}

// A big list lets the window run while it is shaded, at least every kRowsPerShadingYield rows,
// and counts as loading meanwhile, so that no command changes the lists under the shading.
TEST(ShadeGroups, YieldsThroughABigListWhileNoCommandMayChangeIt) {
    ResultSet results;
    FakeEngineHost host;
    const int rows = static_cast<int>(kRowsPerShadingYield) * 5 / 2;
    results.List(7).InsertSorted(
        std::vector<ResultRow>(static_cast<std::size_t>(rows), Row("f", "K")));
    const auto unshaded = [&] {
        int left = 0;
        for (int i = 0; i < rows; ++i)
            left += results.List(7).Row(i).fore != 0;
        return left;
    };
    for (int i = 0; i < rows; ++i)
        results.List(7).SetForeColour(i, Qt::red); // one group: shading takes every colour off
    std::vector<int> left{rows};
    host.onYield = [&](int) {
        EXPECT_TRUE(results.IsLoading());
        left.push_back(unshaded());
    };
    EXPECT_TRUE(ShadeGroups(results, host));
    left.push_back(unshaded());
    ASSERT_EQ(left.back(), 0);
    for (std::size_t y = 1; y < left.size(); ++y)
        EXPECT_LE(left[y - 1] - left[y], static_cast<int>(kRowsPerShadingYield)) << "yield " << y;
    EXPECT_EQ(results.List(7).Tag(), "1");
    EXPECT_FALSE(results.IsLoading());

    // The window closing stops it, and the set is free again.
    host.onYield = [&](int) { host.closing = true; };
    EXPECT_FALSE(ShadeGroups(results, host));
    EXPECT_FALSE(results.IsLoading());
}

} // namespace
} // namespace quilder::test
