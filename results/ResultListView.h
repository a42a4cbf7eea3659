#pragma once

#include <QTreeView>

namespace quilder {

class ResultModel;

// Result list lsv(index): a flat, check-box list with the six result columns at their design
// widths and the sort column hidden. It never sorts by itself; its model keeps the order.
class ResultListView : public QTreeView {
    Q_OBJECT

public:
    ResultListView(ResultModel& model, int index, QWidget* parent = nullptr);

    ResultModel& Model() const { return model_; }
    // Sets the design widths anew, for the current screen resolution.
    void ApplyDesignWidths();

private:
    ResultModel& model_;
};

} // namespace quilder
