#pragma once

#include "EntryState.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace quilder {

class FileSystem;
class FolderHandles;
class ProtectedFolders;
class TaskHost;
class ResultSet;

// One row of a group that a command acts on: the path it names, and whether the command ticks
// it.
struct MemberRow {
    QString path;
    bool ticked = false;
    std::uint64_t size = 0;
};

struct TickedGroup {
    std::vector<MemberRow> rows;
    bool Whole() const;
};

// The groups with a ticked row in `list`, top to bottom. A group's members are the rows of its
// key in the list, and the All list's rows of the key that the list does not show (a class list
// shows only part of a group whose member changed size since the result was saved). Only the
// list's own rows can be ticked.
std::vector<TickedGroup> TickedGroups(const ResultSet& results, int list);

// The groups of which every row is ticked, and the bytes of their files.
struct LastCopies {
    int groups = 0;
    std::uint64_t bytes = 0;
};
LastCopies CountLastCopies(const std::vector<TickedGroup>& groups);

enum class FileVerdict {
    Remove,       // a file of its group that stays holds the same bytes, or the whole group goes
    Gone,         // no such file when it was checked
    Differs,      // differs from every file that stays, or could not be compared with them
    SameFile,     // the only other rows of its group that stay name this same file, or show
                  // it through another mount
    HardLink,     // the only files of its group that stay are links of this same file
    StackedCopy,  // the only files that stay are seen through an overlay, FUSE or network
                  // mount, which may show this same file from another drive
    NoneStays,    // every other file of its group is ticked too, under another row
    CannotRemove, // no longer a regular file, or not reachable: see error
    Protected,    // in a protected folder: a copy that stays, never one that goes
};

// What the check decided for one ticked file: one file, however many rows name it.
struct CheckedFile {
    QString path;                      // as its first ticked row spells it
    std::vector<QString> spellings;    // every path of the groups that names it
    RecordedEntry entry;               // as it was compared
    std::vector<RecordedEntry> copies; // the files that stay with the same bytes, as compared
    FileVerdict verdict = FileVerdict::Remove;
    int error = 0; // for CannotRemove: the errno, or 0 when it is no regular file
};

enum class CheckEnd { Finished, Stopped, Closed };

// Whether a file lies in a protected folder: by the path of its folder or of any row that names
// it, or by the identity of its folder or one above it, seen through a handle of the folder
// that must still be the one recorded (so a bind mount or a link is no way around it).
bool InProtectedFolder(const ProtectedFolders& folders, FileSystem& fs, FolderHandles& handles,
                       const RecordedEntry& file, const std::vector<QString>& spellings);

// Decides per file. A file in a protected folder leaves the ticked set before anything else and
// stays as a copy (verdict Protected). A file ticked anywhere never counts as the copy that
// stays for another; a ticked file of a group that is not wholly ticked goes only when a file of
// the group that stays holds the same bytes. Yields through the host between files and while
// comparing; the host's stop request ends the check (Stopped), a closing window too (Closed).
CheckEnd CheckTickedFiles(TaskHost& host, const std::vector<TickedGroup>& groups,
                          std::vector<CheckedFile>& files);

} // namespace quilder
