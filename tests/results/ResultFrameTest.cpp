#include "ResultFrame.h"
#include "ResultListView.h"
#include "ResultSet.h"

#include <QHeaderView>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace quilder {
namespace {

TEST(ResultFrame, ControlsCarryTheirNamesCaptionsAndColumns) {
    ResultSet results;
    ResultFrame frame(results);
    EXPECT_EQ(frame.objectName(), QStringLiteral("fra1"));
    EXPECT_EQ(frame.title(), QStringLiteral("Result"));
    const QStringList captions{"All",    "Huge",  "Very Large", "Large",
                               "Normal", "Small", "Very Small", "Tiny"};
    const QStringList columns{"Name", "Path", "Size", "Type", "Midified Date", "Sort"};
    for (int i = 0; i < kResultListCount; ++i) {
        auto* option = frame.findChild<QRadioButton*>(QStringLiteral("opt%1").arg(i));
        ASSERT_NE(option, nullptr);
        EXPECT_EQ(option->text(), captions[i]);
        auto* list = frame.findChild<ResultListView*>(QStringLiteral("lsv%1").arg(i));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(&list->Model(), &results.List(i));
        EXPECT_EQ(list->toolTip(), QStringLiteral("Result - the duplicate files."));
        EXPECT_EQ(list->isHidden(), i != 0);
        const QAbstractItemModel* model = list->model();
        for (int c = 0; c < kResultColumnCount; ++c)
            EXPECT_EQ(model->headerData(c, Qt::Horizontal).toString(), columns[c]);
        EXPECT_TRUE(list->isColumnHidden(kSortColumn));
        EXPECT_EQ(list->columnWidth(kSizeColumn), 950 * list->logicalDpiX() / 1440);
        EXPECT_EQ(model->headerData(kSizeColumn, Qt::Horizontal, Qt::TextAlignmentRole).toInt() &
                      Qt::AlignHorizontal_Mask,
                  Qt::AlignRight);
    }
}

} // namespace
} // namespace quilder
