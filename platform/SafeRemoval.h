#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace quilder {

struct EntryState;
struct RecordedEntry;

// How a name that was replaced by a link shares the data of the copy that stays.
enum class LinkKind : std::uint8_t {
    None,
    HardLink,      // the name is another link of the copy's inode
    SharedExtents, // the file keeps its inode; the file system shares the copy's blocks
};

// What taking one checked entry away did. The entry is always acted on through the folder
// handle that its check verified, and only after it was moved away from its name and found to
// be the compared file under the new one.
struct RemovalOutcome {
    enum class Kind {
        Done,    // removed, or in the trash with its information file
        Changed, // another file stood under the name when it was moved: it is kept
        Failed,  // nothing changed; see error and why
        Refused, // the file system refused a link to every copy that stays (error: EXDEV,
                 // EPERM, EMLINK...); nothing changed
    } kind = Kind::Failed;
    int error = 0;      // for Failed: the errno value, or 0 when `why` says it all
    std::string why;    // for Failed, when the errno alone would not tell the user (may be empty)
    std::string leftAt; // for Changed: where the other file was left when its old name was taken
                        // meanwhile (empty: it is back under its name)
    LinkKind link = LinkKind::None; // for Done by ReplaceByLinkAt: the link made
    std::size_t copy = 0;           // and the index of the copy it shares the data of
};

// Whether an entry looked at after it was moved is the file that was compared: the same device,
// inode, size and modification time. Its change time is not asked: the move itself sets it.
bool IsComparedFile(const struct stat& now, const EntryState& compared);

// Deletes the entry `name` of the open folder: renames it to a new temporary name in the same
// folder (never replacing anything), looks at it there, and unlinks it only when it is the
// compared file; any other file is renamed back, or, when its name was taken meanwhile, left
// under the temporary name, which `leftAt` then gives (`folderPath` + '/' + that name).
RemovalOutcome RemoveComparedAt(int folder, const std::string& folderPath, const std::string& name,
                                const EntryState& compared);

// Moves the entry `name` of the open folder to the freedesktop.org trash of its own file system
// (the home trash, or the drive's top-directory trash), writing and syncing its information file
// first, then checks the moved entry as above and moves any other file back. Never copies,
// never deletes. Path= is taken from the folder handle itself, not from `folderPath`, which only
// names places in the outcome.
RemovalOutcome TrashComparedAt(int folder, const std::string& folderPath, const std::string& name,
                               const EntryState& compared);

// Replaces the entry `name` of the open folder, a file compared equal to `copies`, by a link to
// one of them; the first on which it works, those on the folder's file system first. Where the
// file system shares extents (FIDEDUPERANGE: btrfs, XFS), the kernel compares the ranges itself
// and shares only equal ones; the file keeps its inode, owner, mode and times. Elsewhere a hard
// link of the copy is made under a temporary name beside the file and exchanged with it, and
// the file is unlinked only when the entry taken away is the compared file; any other file is
// put back. Each copy's folder is opened by its path and must be the folder recorded. On every
// failure the file stays as it was and no temporary name is left.
RemovalOutcome ReplaceByLinkAt(int folder, const std::string& folderPath, const std::string& name,
                               const EntryState& compared,
                               const std::vector<RecordedEntry>& copies);

} // namespace quilder
