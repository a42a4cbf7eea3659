#include "MenuHelp.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace quilder {

std::optional<QString> MenuHelpText(const QString& itemText) {
    const QString caption = itemText.left(itemText.indexOf(QLatin1Char('\t')));
    for (const MenuHelpEntry& entry : kMenuHelpTable)
        if (caption ==
            QLatin1String(entry.caption.data(), static_cast<qsizetype>(entry.caption.size())))
            return QString::fromLatin1(entry.help.data(),
                                       static_cast<qsizetype>(entry.help.size()));
    return std::nullopt;
}

MenuHelp::MenuHelp(QWidget& window, QObject* parent) : QObject(parent), window_(window) {}

void MenuHelp::Install(QMenuBar& bar) {
    connections_ << connect(&bar, &QMenuBar::hovered, this, &MenuHelp::Highlighted);
    const QList<QAction*> actions = bar.actions();
    for (QAction* action : actions)
        if (QMenu* menu = action->menu()) Install(*menu);
}

void MenuHelp::Install(QMenu& menu) {
    connections_ << connect(&menu, &QMenu::hovered, this, &MenuHelp::Highlighted);
    const QList<QAction*> actions = menu.actions();
    for (QAction* action : actions)
        if (QMenu* submenu = action->menu()) Install(*submenu);
}

void MenuHelp::Remove() {
    for (const QMetaObject::Connection& connection : std::as_const(connections_))
        disconnect(connection);
    connections_.clear();
}

void MenuHelp::Highlighted(QAction* action) {
    if (action == nullptr || action->menu() != nullptr || action->isSeparator()) return;
    if (const std::optional<QString> help = MenuHelpText(action->text()))
        window_.setWindowTitle(*help);
}

} // namespace quilder
