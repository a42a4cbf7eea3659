#pragma once

#include <QObject>
#include <QString>
#include <array>

class QCheckBox;
class QWidget;

namespace quilder {

// The size-class boxes cbx(0..7): box 0 "All Files", boxes 1 (Huge) to 7 (Tiny). While box 0 is
// ticked, the seven class boxes are ticked and locked.
class ClassSelector : public QObject {
    Q_OBJECT

public:
    // Creates the boxes in `frame` at their design places, all ticked, 1 to 7 locked.
    explicit ClassSelector(QWidget& frame);

    QCheckBox& Box(int index) const { return *boxes_[static_cast<std::size_t>(index)]; }
    bool Ticked(int box) const;
    // The click rule; box 0's notification comes for a user's click and a program's change alike.
    void BoxClicked(int index);

private:
    std::array<QCheckBox*, 8> boxes_{};
};

} // namespace quilder
