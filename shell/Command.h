#pragma once

#include <cstddef>

namespace quilder {

// Every command of the window, in the order of the menus. A menu item, its key and a toolbar
// button lead to one; the controller runs it.
enum class Command {
    NewJob,
    OpenResultFile,
    SaveResult,
    SaveResultAs,
    Exit,
    FindDuplicateFiles,
    StopCurrentJob,
    DeleteFiles,
    OpenRunFiles,
    OpenFolders,
    MoveFilesToTrash,
    VerifyGroups,
    TickAllButOldest,
    TickAllButNewest,
    TickAllButFirst,
    TickAllInFolder,
    UntickAll,
    ReplaceFilesWithLinks,
    HelpTopics,
    TechnologyForum,
    WebPage,
    ContactSupport,
    CheckLatestVersion,
    About,
};

inline constexpr std::size_t kCommandCount = static_cast<std::size_t>(Command::About) + 1;

constexpr std::size_t IndexOf(Command command) {
    return static_cast<std::size_t>(command);
}

} // namespace quilder
