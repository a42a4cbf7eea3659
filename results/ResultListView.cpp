#include "ResultListView.h"

#include "ResultColumns.h"
#include "ResultModel.h"

#include <QHeaderView>

namespace quilder {

ResultListView::ResultListView(ResultModel& model, int index, QWidget* parent)
    : QTreeView(parent), model_(model) {
    setObjectName(QStringLiteral("lsv%1").arg(index));
    setToolTip(QString::fromLatin1(kResultListTooltip.data(),
                                   static_cast<qsizetype>(kResultListTooltip.size())));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    // Every row has one line of text: lets the view skip measuring 100,000 rows.
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSortingEnabled(false);
    setModel(&model_);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    setColumnHidden(kSortColumn, true);
    ApplyDesignWidths();
}

void ResultListView::ApplyDesignWidths() {
    for (int c = 0; c < kResultColumnCount; ++c)
        setColumnWidth(c, TwipsToPixels(kResultColumns[static_cast<std::size_t>(c)].widthTwips,
                                        logicalDpiX()));
}

} // namespace quilder
