#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

class QToolBar;
class QWidget;

namespace quilder {

// Every command has one handler, that of its menu item; the item itself, its shortcut key and
// the toolbar button only lead there.
class CommandRouter : public QObject {
    Q_OBJECT

public:
    explicit CommandRouter(QObject* parent = nullptr) : QObject(parent) {}

    // The handler of menu item `item` (the item's object name, "men0000" ...).
    void Handle(const QString& item, std::function<void()> handler);
    // Connects the menu items (actions named "men....") under `window` to their handlers, and
    // the toolbar's buttons by their captions.
    void Connect(QWidget& window, QToolBar* toolbar);

    // Runs the handler of a menu item; an item without one does nothing.
    void Run(const QString& item) const;
    // The toolbar's button-click handler: the first button whose caption equals `caption`
    // exactly leads to its menu item; any other caption does nothing.
    void ToolbarClicked(const QString& caption) const;

private:
    QHash<QString, std::function<void()>> handlers_;
};

} // namespace quilder
