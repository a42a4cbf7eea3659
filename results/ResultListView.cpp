#include "ResultListView.h"

#include "ModifiedDateText.h"
#include "ResultColumns.h"
#include "ResultModel.h"
#include "SizeText.h"
#include "Twips.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyle>
#include <algorithm>

namespace quilder {

namespace {

// The text with each digit replaced by the font's widest one, as wide as any text of its shape.
int WidthWithWidestDigits(QString text, const QFontMetrics& metrics) {
    QChar widest = QLatin1Char('0');
    for (char digit = '1'; digit <= '9'; ++digit)
        if (metrics.horizontalAdvance(QLatin1Char(digit)) > metrics.horizontalAdvance(widest))
            widest = QLatin1Char(digit);
    for (QChar& c : text)
        if (c.isDigit()) c = widest;
    return metrics.horizontalAdvance(text);
}

} // namespace

int WidestSizeText(const QFontMetrics& metrics) {
    // The largest text of each unit; sizes in MB have no upper bound, six digits reach 1 TB.
    const std::array<QString, 3> texts{SizeText(1023, SizeUnit::Bytes),
                                       SizeText(1048575, SizeUnit::KB),
                                       SizeText((std::uint64_t{999999} << 20), SizeUnit::MB)};
    int widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, WidthWithWidestDigits(text, metrics));
    return widest;
}

int WidestDateText(const QFontMetrics& metrics) {
    // Month names differ in width; a morning and an afternoon time, for a locale with AM/PM.
    int widest = 0;
    for (int month = 1; month <= 12; ++month)
        for (int hour : {10, 22})
            widest = std::max(
                widest, WidthWithWidestDigits(ModifiedDateText(QDateTime(QDate(2026, month, 28),
                                                                         QTime(hour, 58, 58))),
                                              metrics));
    return widest;
}

ResultListView::ResultListView(ResultModel& model, int index, QWidget* parent) : QTreeView(parent) {
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
    setModel(&model);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    setColumnHidden(kSortColumn, true);
    ApplyDesignWidths();
}

void ResultListView::ApplyDesignWidths() {
    for (int c = 0; c < kResultColumnCount; ++c)
        setColumnWidth(c, TwipsAsPixels(kResultColumns[static_cast<std::size_t>(c)].widthTwips,
                                        logicalDpiX()));
    FitTextColumns();
}

void ResultListView::changeEvent(QEvent* event) {
    QTreeView::changeEvent(event);
    // The window gives the lists their font after creating them.
    if (event->type() == QEvent::FontChange) FitTextColumns();
}

void ResultListView::FitTextColumns() {
    // A cell draws its text between two margins the style decides.
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    const QFontMetrics metrics = fontMetrics();
    for (const auto& [column, text] : {std::pair{kSizeColumn, WidestSizeText(metrics)},
                                       std::pair{kModifiedColumn, WidestDateText(metrics)}}) {
        // Only ever wider: a width the user dragged larger stays.
        const int needed = std::max(text + margins + 1, header()->sectionSizeHint(column));
        if (header()->sectionSize(column) < needed) setColumnWidth(column, needed);
    }
}

} // namespace quilder
