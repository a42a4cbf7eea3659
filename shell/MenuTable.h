#pragma once

#include "Command.h"

#include <array>
#include <optional>
#include <string_view>

namespace quilder {

// The menu bar: three menus, then their items in order. A caption "-" is a separator. An item's
// name is men + two digits of its menu + two digits of its position in that menu.
struct MenuInfo {
    std::string_view name;
    std::string_view caption;
};

struct MenuItemInfo {
    std::string_view name; // men + menu + item; the menu is the first four characters
    std::string_view caption;
    std::string_view shortcut;        // as QKeySequence reads it; empty for none
    std::optional<Command> command{}; // none for a separator
};

inline constexpr std::array<MenuInfo, 3> kMenus{{
    {"men00", "&File"},
    {"men01", "&Action"},
    {"men02", "&Help"},
}};

inline constexpr std::array<MenuItemInfo, 33> kMenuItems{{
    {"men0000", "&New Job", "Ctrl+N", Command::NewJob},
    {"men0001", "&Open Result File...", "Ctrl+O", Command::OpenResultFile},
    {"men0002", "-", "", std::nullopt},
    {"men0003", "&Save Result", "Ctrl+S", Command::SaveResult},
    {"men0004", "Save Result &As...", "", Command::SaveResultAs},
    {"men0005", "-", "", std::nullopt},
    {"men0006", "E&xit", "", Command::Exit},
    {"men0100", "&Find Duplicate Files", "F3", Command::FindDuplicateFiles},
    {"men0101", "&Stop Current Job", "F6", Command::StopCurrentJob},
    {"men0102", "-", "", std::nullopt},
    {"men0103", "&Delete Files", "Del", Command::DeleteFiles},
    {"men0104", "&Open/Run Files", "F5", Command::OpenRunFiles},
    {"men0105", "O&pen Folders", "F7", Command::OpenFolders},
    // The commands added after the standard ones: removal to the trash and checking the groups,
    // then ticking many rows at once.
    {"men0106", "-", "", std::nullopt},
    {"men0107", "Move Files to &Trash", "Ctrl+Del", Command::MoveFilesToTrash},
    {"men0108", "&Verify Groups", "", Command::VerifyGroups},
    {"men0109", "-", "", std::nullopt},
    {"men0110", "Tick All But the O&ldest in Each Group", "", Command::TickAllButOldest},
    {"men0111", "Tick All But the &Newest in Each Group", "", Command::TickAllButNewest},
    {"men0112", "Tick All But the F&irst in Each Group", "", Command::TickAllButFirst},
    {"men0113", "Tick &All in This Folder", "", Command::TickAllInFolder},
    {"men0114", "&Untick All", "", Command::UntickAll},
    {"men0115", "-", "", std::nullopt},
    {"men0116", "Replace Files with &Links", "", Command::ReplaceFilesWithLinks},
    {"men0200", "&Help Topics", "F1", Command::HelpTopics},
    {"men0201", "-", "", std::nullopt},
    {"men0202", "QDR &Technology Forum", "", Command::TechnologyForum},
    {"men0203", "QDR &Web Page", "", Command::WebPage},
    {"men0204", "&Contact QDR Support", "", Command::ContactSupport},
    {"men0205", "-", "", std::nullopt},
    {"men0206", "Check The &Latest Version", "", Command::CheckLatestVersion},
    {"men0207", "-", "", std::nullopt},
    {"men0211", "&About Quilder...", "", Command::About},
}};

// The toolbar, left to right; a button routes to its menu item. An empty caption is a separator.
struct ToolbarButtonInfo {
    std::string_view caption;
    std::string_view tooltip;
    std::string_view image; // resource path of the 32 x 32 picture
    std::optional<Command> routesTo{};
};

inline constexpr std::array<ToolbarButtonInfo, 9> kToolbarButtons{{
    {"New", "Creates a new finding job <Ctrl + N>.", ":/toolbar/new.png", Command::NewJob},
    {"Open", "Opens a result file <Ctrl + O>.", ":/toolbar/open.png", Command::OpenResultFile},
    {"Save", "Saves result listing to file <Ctrl + S>.", ":/toolbar/save.png", Command::SaveResult},
    {"", "", "", std::nullopt},
    {"Find", "Finds the duplicate files <F3>.", ":/toolbar/find.png", Command::FindDuplicateFiles},
    {"Stop", "Stops current finding job <F6>.", ":/toolbar/stop.png", Command::StopCurrentJob},
    {"", "", "", std::nullopt},
    {"Delete", "Deletes the selection duplicate files <Del>.", ":/toolbar/delete.png",
     Command::DeleteFiles},
    {"Open/Run", "Opens/runs the selection files <F5>.", ":/toolbar/run.png",
     Command::OpenRunFiles},
}};

// Every command has exactly one menu item: none can be left without a way to reach it.
constexpr bool EachCommandHasOneMenuItem() {
    std::array<int, kCommandCount> items{};
    for (const MenuItemInfo& item : kMenuItems)
        if (item.command) ++items[IndexOf(*item.command)];
    for (const int count : items)
        if (count != 1) return false;
    return true;
}
static_assert(EachCommandHasOneMenuItem());

inline constexpr std::string_view kVersionText = "Version 1.00 Build 20070405#01";

} // namespace quilder
