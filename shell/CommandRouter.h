#pragma once

#include "Command.h"

#include <QString>
#include <array>
#include <functional>

namespace quilder {

// Every command has one handler; its menu item, its shortcut key and a toolbar button only lead
// there.
class CommandRouter {
public:
    // The handler of `command`; a second call replaces the first.
    void Handle(Command command, std::function<void()> handler);
    bool Handles(Command command) const { return static_cast<bool>(handlers_[IndexOf(command)]); }

    // Runs the handler of a command.
    void Run(Command command) const;
    // The toolbar's button-click handler: the first button whose caption equals `caption`
    // exactly leads to its command; any other caption does nothing.
    void ToolbarClicked(const QString& caption) const;

private:
    std::array<std::function<void()>, kCommandCount> handlers_;
};

} // namespace quilder
