#include "ResultModel.h"
#include "ResultListView.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QPersistentModelIndex>
#include <gtest/gtest.h>

namespace quilder {
namespace {

ResultRow Row(const char* name, const char* key) {
    ResultRow row;
    row.text[kNameColumn] = QString::fromLatin1(name);
    row.text[kPathColumn] = QStringLiteral("/data");
    row.text[kSizeColumn] = QStringLiteral("1 B");
    row.text[kSortColumn] = QString::fromLatin1(key);
    return row;
}

std::vector<std::string> Names(const ResultModel& model) {
    std::vector<std::string> names;
    for (int i = 0; i < model.RowCount(); ++i)
        names.push_back(model.Row(i).text[kNameColumn].toStdString());
    return names;
}

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
    EXPECT_EQ(Names(model), (std::vector<std::string>{"0", "a1", "a2", "a3", "b1", "b2", "b3", "c1",
                                                      "c2", "d1"}));
    model.InsertSorted({Row("e1", "E"), Row("d2", "D")}); // the append path
    EXPECT_EQ(Names(model).back(), "e1");
    EXPECT_EQ(Names(model)[9], "d1");
    EXPECT_EQ(Names(model)[10], "d2");
}

TEST_F(ResultModelTest, InsertingKeepsRowsTheViewHoldsOn) {
    ResultListView view(model, 0);
    model.InsertSorted({Row("b1", "B"), Row("d1", "D")});
    model.SetChecked(1, true);
    view.setCurrentIndex(model.index(1, kNameColumn));
    const QPersistentModelIndex held(model.index(1, kNameColumn));
    model.InsertSorted({Row("a1", "A"), Row("c1", "C"), Row("e1", "E")});
    ASSERT_TRUE(held.isValid());
    EXPECT_EQ(held.row(), 3);
    EXPECT_EQ(held.data().toString(), QStringLiteral("d1"));
    EXPECT_EQ(view.currentIndex().data().toString(), QStringLiteral("d1"));
    EXPECT_TRUE(model.Row(3).checked);
    EXPECT_FALSE(model.Row(1).checked);
}

TEST_F(ResultModelTest, CheckBoxAndColourRoles) {
    model.InsertSorted({Row("a", "A"), Row("b", "B")});
    const QModelIndex name = model.index(0, kNameColumn);
    EXPECT_TRUE(model.flags(name) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.flags(model.index(0, kPathColumn)) & Qt::ItemIsUserCheckable);
    EXPECT_EQ(name.data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_TRUE(model.setData(name, Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(model.Row(0).checked);
    EXPECT_FALSE(model.setData(model.index(0, kSizeColumn), Qt::Checked, Qt::CheckStateRole));

    EXPECT_FALSE(model.index(0, kNameColumn).data(Qt::ForegroundRole).isValid());
    model.SetForeColour(0, Qt::blue);
    for (int c = 0; c < kShadedColumnCount; ++c)
        EXPECT_EQ(model.index(0, c).data(Qt::ForegroundRole).value<QBrush>().color(),
                  QColor(Qt::blue));
    EXPECT_FALSE(model.index(0, kSortColumn).data(Qt::ForegroundRole).isValid());
}

} // namespace
} // namespace quilder
