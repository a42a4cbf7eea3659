#include "CommandRouter.h"

#include "MenuTable.h"

#include <QtGlobal>

namespace quilder {

void CommandRouter::Handle(Command command, std::function<void()> handler) {
    handlers_[IndexOf(command)] = std::move(handler);
}

void CommandRouter::Run(Command command) const {
    const std::function<void()>& handler = handlers_[IndexOf(command)];
    Q_ASSERT_X(handler, "CommandRouter::Run", "a command without a handler");
    if (handler) handler();
}

void CommandRouter::ToolbarClicked(const QString& caption) const {
    for (const ToolbarButtonInfo& button : kToolbarButtons) {
        if (!button.routesTo ||
            caption != QLatin1String(button.caption.data(), button.caption.size()))
            continue;
        Run(*button.routesTo);
        return;
    }
}

} // namespace quilder
