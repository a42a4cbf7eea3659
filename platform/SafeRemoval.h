#pragma once

#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace quilder {

struct EntryState;

// What taking one checked entry away did. The entry is always acted on through the folder
// handle that its check verified, and only after it was moved away from its name and found to
// be the compared file under the new one.
struct RemovalOutcome {
    enum class Kind {
        Done,    // removed, or in the trash with its information file
        Changed, // another file stood under the name when it was moved: it is kept
        Failed,  // nothing changed; see error and why
    } kind = Kind::Failed;
    int error = 0;      // for Failed: the errno value, or 0 when `why` says it all
    std::string why;    // for Failed, when the errno alone would not tell the user (may be empty)
    std::string leftAt; // for Changed: where the other file was left when its old name was taken
                        // meanwhile (empty: it is back under its name)
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

} // namespace quilder
