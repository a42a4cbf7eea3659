#pragma once

#include <QObject>

class QAbstractScrollArea;
class QMenu;

namespace quilder {

// Pops up a menu at the mouse position when the right mouse button is released over a watched
// list; other buttons pop up nothing.
class ActionMenuPopup : public QObject {
    Q_OBJECT

public:
    explicit ActionMenuPopup(QMenu& menu, QObject* parent = nullptr);
    void Watch(QAbstractScrollArea& list);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMenu& menu_;
};

} // namespace quilder
