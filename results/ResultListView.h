#pragma once

#include <QTreeView>

class QFontMetrics;

namespace quilder {

class ResultModel;

// Result list lsv(index): a flat, check-box list with the six result columns at their design
// widths and the sort column hidden. It never sorts by itself; its model keeps the order.
class ResultListView : public QTreeView {
    Q_OBJECT

public:
    ResultListView(ResultModel& model, int index, QWidget* parent = nullptr);

    // Sets the design widths anew, for the current screen resolution, widened where the font
    // needs more room for a size or a date.
    void ApplyDesignWidths();

protected:
    void changeEvent(QEvent* event) override;

private:
    // Widens the Size and date columns to their widest possible text in the current font.
    void FitTextColumns();
};

// The widest size text and the widest modified-date text the list can show, in pixels, for
// these metrics: every digit taken as the font's widest digit, every month's name tried.
int WidestSizeText(const QFontMetrics& metrics);
int WidestDateText(const QFontMetrics& metrics);

} // namespace quilder
