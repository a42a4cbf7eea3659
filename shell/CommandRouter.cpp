#include "CommandRouter.h"

#include "MenuTable.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QWidget>

namespace quilder {

void CommandRouter::Handle(const QString& item, std::function<void()> handler) {
    handlers_.insert(item, std::move(handler));
}

void CommandRouter::Connect(QWidget& window, QToolBar* toolbar) {
    const QList<QAction*> actions = window.findChildren<QAction*>();
    for (QAction* action : actions) {
        const QString item = action->objectName();
        if (!item.startsWith(QLatin1String("men")) || action->menu() != nullptr) continue;
        connect(action, &QAction::triggered, this, [this, item] { Run(item); });
    }
    if (toolbar != nullptr)
        connect(toolbar, &QToolBar::actionTriggered, this,
                [this](QAction* button) { ToolbarClicked(button->text()); });
}

void CommandRouter::Run(const QString& item) const {
    const auto it = handlers_.constFind(item);
    if (it != handlers_.constEnd() && *it) (*it)();
}

void CommandRouter::ToolbarClicked(const QString& caption) const {
    for (const ToolbarButtonInfo& button : kToolbarButtons) {
        if (button.caption.empty() ||
            caption != QLatin1String(button.caption.data(), button.caption.size()))
            continue;
        Run(QLatin1String(button.routesTo.data(), button.routesTo.size()));
        return;
    }
}

} // namespace quilder
