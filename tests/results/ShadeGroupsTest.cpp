#include "ShadeGroups.h"
#include "ResultsFixture.h"

#include <QBrush>

namespace quilder::test {
namespace {

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
    struct Case {
        std::string keys, colours, tag;
    };
    for (const Case& c : {Case{"AABBC", "..bb.", "3"}, Case{"AABB", "bb..", "2"},
                          Case{"A", ".", "1"}, Case{"", "", "0"}}) {
        ResultSet results;
        Fill(results.List(3), c.keys);
        ShadeGroups(results);
        EXPECT_EQ(Colours(results.List(3)), c.colours) << c.keys;
        EXPECT_EQ(results.List(3).Tag().toStdString(), c.tag) << c.keys;
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
