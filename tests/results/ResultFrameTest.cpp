#include "ResultFrame.h"
#include "ResultListView.h"
#include "ResultsFixture.h"
#include "ShadeGroups.h"

#include <QRadioButton>

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

} // namespace
} // namespace quilder::test
