#include "TitleReset.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QHeaderView>
#include <QTreeView>
#include <QWidget>

namespace quilder {

TitleReset::TitleReset(QWidget& window, QObject* parent) : QObject(parent), window_(window) {}

void TitleReset::Watch(QWidget& control) {
    // Without tracking, a move with no button pressed never reaches the control.
    control.setMouseTracking(true);
    control.installEventFilter(this);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(&control)) Watch(*area->viewport());
    if (auto* tree = qobject_cast<QTreeView*>(&control)) Watch(*tree->header());
}

bool TitleReset::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::MouseMove) window_.setWindowTitle(QStringLiteral("Quilder"));
    return false;
}

} // namespace quilder
