#pragma once

#include "FileSystem.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quilder {

// Which file an entry held, and what it was like: a write, a truncation, a touch or a rename
// over the entry changes one of these.
struct EntryState {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    std::uint64_t links = 0;
    bool operator==(const EntryState&) const = default;
    bool SameFile(const EntryState& other) const {
        return device == other.device && inode == other.inode;
    }
};

// A directory entry, whatever path spelled it: its folder's identity and its name.
struct EntryKey {
    FolderId folder;
    std::string name;
    bool operator==(const EntryKey&) const = default;
};
struct EntryKeyHash {
    std::size_t operator()(const EntryKey& key) const {
        return FolderIdHash()(key.folder) ^ std::hash<std::string>()(key.name);
    }
};

// An entry as it was looked at: the path that reached its folder, the folder's identity, the
// name, and the file's state then.
struct RecordedEntry {
    std::string folderPath;
    std::string name;
    FolderId folder;
    EntryState state;
    EntryKey Key() const { return {folder, name}; }
};

struct EntryLook {
    enum class Kind {
        File,        // a regular file
        Missing,     // no such entry, or no such folder
        NotFile,     // a link, a folder, a FIFO...
        Unreachable, // the folder cannot be opened or the entry not looked at; see error
    } kind = Kind::Unreachable;
    int error = 0;
    RecordedEntry entry; // the folder's identity is known unless its folder was not reached
};

// The identity of the folder a path names now, links in the path followed.
std::optional<FolderId> FolderIdOf(const std::string& path);

// Handles of folders opened by path (links in the path followed, as the path means now), each
// with its identity. At most a few dozen stay open, however many folders are asked for.
class FolderHandles {
public:
    explicit FolderHandles(FileSystem& fs) : fs_(fs) {}
    ~FolderHandles() { Clear(); }
    FolderHandles(const FolderHandles&) = delete;
    FolderHandles& operator=(const FolderHandles&) = delete;

    // The handle, or -1 with `error` set.
    int Open(const std::string& path, FolderId& id, int& error);
    void Clear();

private:
    struct Held {
        int fd = -1;
        FolderId id;
        int error = 0;
    };
    FileSystem& fs_;
    std::unordered_map<std::string, Held> held_;
};

// Looks at an entry through a handle of its folder, without following a link in the name.
EntryLook LookUpEntry(FolderHandles& folders, const std::string& folderPath,
                      const std::string& name);

// Opens a regular file of an open folder for reading, without following a link, only when it
// is still in the state recorded; -1 otherwise.
int OpenUnchanged(FileSystem& fs, int folder, const std::string& name, const EntryState& expected);
// The state of an open file now.
std::optional<EntryState> StateOfOpenFile(int fd);

// The last step of a delete, or of anything else that takes a checked file away: the copies
// that stay and the file itself are looked at once more, through fresh handles of their folders
// that must be the folders recorded, and the file's entry is acted on at once if nothing
// differs from what was compared.
class EntryRemover {
public:
    // Takes the entry `file.name` away from the open folder, which is the one recorded.
    // `copies` are the ones just looked at, as compared.
    using Action = std::function<RemovalOutcome(int folder, const RecordedEntry& file,
                                                const std::vector<RecordedEntry>& copies)>;
    struct Outcome {
        enum class Kind { Removed, Changed, Gone, NotFile, Failed, Refused };
        Outcome(Kind k, int e = 0, std::string w = {}, std::string left = {})
            : kind(k), error(e), why(std::move(w)), leftAt(std::move(left)) {}
        Kind kind;
        int error = 0;                  // for Failed
        std::string why;                // for Failed, where the errno alone does not tell
        std::string leftAt;             // for Changed: where another program's file was left
        LinkKind link = LinkKind::None; // for Removed: replaced by this kind of link
    };

    EntryRemover(FileSystem& fs, Action action) : folders_(fs), action_(std::move(action)) {}

    Outcome Remove(const RecordedEntry& file, const std::vector<RecordedEntry>& copies);

private:
    bool Unchanged(const EntryState& was, const EntryState& now) const;

    FolderHandles folders_;
    Action action_;
    // Files that lost or gained a link through this remover: that changes their change time
    // and link count, which are then no sign of another program at work.
    std::set<std::pair<std::uint64_t, std::uint64_t>> relinked_;
};

} // namespace quilder
