#include "ResultModel.h"
#include "ResultListView.h"
#include "ResultsFixture.h"

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>

namespace quilder::test {
namespace {

class ResultModelTest : public ::testing::Test {
protected:
    ResultModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(ResultModelTest, KeepsKeyOrderAndLoadOrderWithinAGroup) {
    model.InsertSorted({Row("b1", "B"), Row("a1", "A"), Row("c1", "C"), Row("b2", "B")});
    // Interleaves with every old group; old members stay above new ones of the same key.
    model.InsertSorted({Row("d1", "D"), Row("b3", "B"), Row("a2", "A"), Row("0", ""),
                        Row("c2", "C"), Row("a3", "A")});
    EXPECT_EQ(Column(model, kNameColumn),
              (Texts{"0", "a1", "a2", "a3", "b1", "b2", "b3", "c1", "c2", "d1"}));
    model.InsertSorted({Row("e1", "E"), Row("d2", "D")}); // the append path
    EXPECT_EQ(Column(model, kNameColumn).back(), "e1");
    EXPECT_EQ(Column(model, kNameColumn)[10], "d2");
}

TEST_F(ResultModelTest, InsertingKeepsTheRowsTheViewHoldsOnAndTheirCheckMarks) {
    ResultListView view(model, 0);
    model.InsertSorted({Row("b1", "B"), Row("d1", "D")});
    // Only the name column carries the check box.
    EXPECT_FALSE(model.setData(model.index(1, kSizeColumn), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(model.setData(model.index(1, kNameColumn), Qt::Checked, Qt::CheckStateRole));
    view.setCurrentIndex(model.index(1, kNameColumn));
    const QPersistentModelIndex held(model.index(1, kNameColumn));
    model.InsertSorted({Row("a1", "A"), Row("c1", "C"), Row("e1", "E")});
    EXPECT_EQ(held.row(), 3);
    EXPECT_EQ(held.data().toString(), QStringLiteral("d1"));
    EXPECT_EQ(view.currentIndex(), QModelIndex(held));
    EXPECT_EQ(held.data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_FALSE(model.Row(1).checked);
}

} // namespace
} // namespace quilder::test
