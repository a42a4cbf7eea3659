#include "ActionMenuPopup.h"

#include <QAbstractScrollArea>
#include <QMenu>
#include <QMouseEvent>

namespace quilder {

ActionMenuPopup::ActionMenuPopup(QMenu& menu, QObject* parent) : QObject(parent), menu_(menu) {}

void ActionMenuPopup::Watch(QAbstractScrollArea& list) {
    list.viewport()->installEventFilter(this);
}

bool ActionMenuPopup::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease) return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::RightButton) menu_.popup(mouse->globalPosition().toPoint());
    return false;
}

} // namespace quilder
