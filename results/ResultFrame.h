#pragma once

#include "ResultColumns.h"

#include <QGroupBox>
#include <array>

class QRadioButton;

namespace quilder {

class ResultListView;
class ResultSet;

// The frame fra(1) "Result": the row of view options opt(0..7) and the eight result lists, of
// which only the one the options chose is visible. The window sets the lists' sizes. The result
// set must outlive the frame.
class ResultFrame : public QGroupBox {
    Q_OBJECT

public:
    explicit ResultFrame(ResultSet& results, QWidget* parent = nullptr);

    ResultListView& List(int index) const { return *lists_[static_cast<std::size_t>(index)]; }
    QRadioButton& Option(int index) const { return *options_[static_cast<std::size_t>(index)]; }

private:
    void ShowList(int index);

    ResultSet& results_;
    std::array<ResultListView*, kResultListCount> lists_{};
    std::array<QRadioButton*, kResultListCount> options_{};
};

} // namespace quilder
