#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <array>
#include <optional>
#include <string_view>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace quilder {

struct MenuHelpEntry {
    std::string_view caption; // with its "&" marker, without the shortcut
    std::string_view help;
};

// Compared in this order, exactly: the standard File, Action and Help items, then the commands
// added after them, in the order of the Action menu.
inline constexpr std::array<MenuHelpEntry, 24> kMenuHelpTable{{
    {"&New Job", "Creates a new finding job <Ctrl + N>."},
    {"&Open Result File...", "Opens a result file <Ctrl + O>."},
    {"&Save Result", "Saves result listing to file <Ctrl + S>."},
    {"Save Result &As...", "Saves result listing to a new file."},
    {"E&xit", "Quits Quilder."},
    {"&Find Duplicate Files", "Finds the duplicate files <F3>."},
    {"&Stop Current Job", "Stops current finding job <F6>."},
    {"&Delete Files", "Deletes the selection duplicate files <Del>."},
    {"&Open/Run Files", "Opens/runs the selection files <F5>."},
    {"O&pen Folders", "Opens the directories of selection files <F7>."},
    {"&Help Topics", "Lists help topics."},
    {"QDR &Technology Forum", "Visits the QDR technology forum."},
    {"QDR &Web Page", "Opens the QDR web page."},
    {"&Contact QDR Support", "Contacts the QDR support via email."},
    {"Check The &Latest Version", "Checks the latest version on the web."},
    {"&About Quilder...", "Displays program information."},
    {"Move Files to &Trash", "Moves the selection duplicate files to the trash <Ctrl + Del>."},
    {"&Verify Groups", "Compares the files of every group byte for byte and splits the groups."},
    {"Tick All But the O&ldest in Each Group", "Ticks every file of each group but the oldest."},
    {"Tick All But the &Newest in Each Group", "Ticks every file of each group but the newest."},
    {"Tick All But the F&irst in Each Group", "Ticks every file of each group but the first."},
    {"Tick &All in This Folder", "Ticks every file in the folder of the chosen row."},
    {"&Untick All", "Unticks every file of the list."},
    {"Replace Files with &Links",
     "Replaces the selection duplicate files by links to a copy that stays."},
}};

// The help text of a menu item's text (caption, optionally a tab and its shortcut), or none.
std::optional<QString> MenuHelpText(const QString& itemText);

// Shows the help text of the highlighted menu item in the window's title, for mouse and keyboard
// highlighting alike, and leaves it there when the menu closes. Menu titles, items that open a
// submenu and separators change nothing.
class MenuHelp : public QObject {
    Q_OBJECT

public:
    explicit MenuHelp(QWidget& window, QObject* parent = nullptr);

    // Follows the menu bar and every menu under it; also a menu popped up on its own.
    void Install(QMenuBar& bar);
    void Install(QMenu& menu);
    // After this no highlighting reaches the title.
    void Remove();

    void Highlighted(QAction* action);

private:
    QWidget& window_;
    QList<QMetaObject::Connection> connections_;
};

} // namespace quilder
