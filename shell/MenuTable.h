#pragma once

#include <array>
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
    std::string_view shortcut; // as QKeySequence reads it; empty for none
};

inline constexpr std::array<MenuInfo, 3> kMenus{{
    {"men00", "&File"},
    {"men01", "&Action"},
    {"men02", "&Help"},
}};

inline constexpr std::array<MenuItemInfo, 31> kMenuItems{{
    {"men0000", "&New Job", "Ctrl+N"},
    {"men0001", "&Open Result File...", "Ctrl+O"},
    {"men0002", "-", ""},
    {"men0003", "&Save Result", "Ctrl+S"},
    {"men0004", "Save Result &As...", ""},
    {"men0005", "-", ""},
    {"men0006", "E&xit", ""},
    {"men0100", "&Find Duplicate Files", "F3"},
    {"men0101", "&Stop Current Job", "F6"},
    {"men0102", "-", ""},
    {"men0103", "&Delete Files", "Del"},
    {"men0104", "&Open/Run Files", "F5"},
    {"men0105", "O&pen Folders", "F7"},
    // The commands added after the standard ones: removal to the trash and checking the groups,
    // then ticking many rows at once.
    {"men0106", "-", ""},
    {"men0107", "Move Files to &Trash", "Ctrl+Del"},
    {"men0108", "&Verify Groups", ""},
    {"men0109", "-", ""},
    {"men0110", "Tick All But the O&ldest in Each Group", ""},
    {"men0111", "Tick All But the &Newest in Each Group", ""},
    {"men0112", "Tick All But the F&irst in Each Group", ""},
    {"men0113", "Tick &All in This Folder", ""},
    {"men0114", "&Untick All", ""},
    {"men0200", "&Help Topics", "F1"},
    {"men0201", "-", ""},
    {"men0202", "QDR &Technology Forum", ""},
    {"men0203", "QDR &Web Page", ""},
    {"men0204", "&Contact QDR Support", ""},
    {"men0205", "-", ""},
    {"men0206", "Check The &Latest Version", ""},
    {"men0207", "-", ""},
    {"men0211", "&About Quilder...", ""},
}};

// The toolbar, left to right; a button routes to its menu item. An empty caption is a separator.
struct ToolbarButtonInfo {
    std::string_view caption;
    std::string_view tooltip;
    std::string_view image; // resource path of the 32 x 32 picture
    std::string_view routesTo;
};

inline constexpr std::array<ToolbarButtonInfo, 9> kToolbarButtons{{
    {"New", "Creates a new finding job <Ctrl + N>.", ":/toolbar/new.png", "men0000"},
    {"Open", "Opens a result file <Ctrl + O>.", ":/toolbar/open.png", "men0001"},
    {"Save", "Saves result listing to file <Ctrl + S>.", ":/toolbar/save.png", "men0003"},
    {"", "", "", ""},
    {"Find", "Finds the duplicate files <F3>.", ":/toolbar/find.png", "men0100"},
    {"Stop", "Stops current finding job <F6>.", ":/toolbar/stop.png", "men0101"},
    {"", "", "", ""},
    {"Delete", "Deletes the selection duplicate files <Del>.", ":/toolbar/delete.png", "men0103"},
    {"Open/Run", "Opens/runs the selection files <F5>.", ":/toolbar/run.png", "men0104"},
}};

inline constexpr std::string_view kVersionText = "Version 1.00 Build 20070405#01";

} // namespace quilder
