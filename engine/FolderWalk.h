#pragma once

#include "FileRecords.h"
#include "FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quilder {

// What one scan has listed of a folder, by the folder's identity: one folder reached by two
// paths (given twice, or once inside another given folder) is listed once, so that no file is
// ever grouped with itself.
enum class Listed { FilesOnly, Subtree };
using ListedFolders = std::unordered_map<FolderId, Listed, FolderIdHash>;

// One folder as a walk reaches it.
struct WalkedFolder {
    std::string path;
    bool read = false; // false: it could not be opened or read to its end (error says why)
    int error = 0;
    bool newFiles = false; // its files are not listed yet in this scan
    std::vector<FileEntry> files;
    long long leftOutFolders = 0; // sub-folders not entered: a line break or tab in the name
};

// The walk of one given folder, alone or with everything below it, depth first: a folder, then
// each of its sub-folders with everything in them, in the order the system lists them. Each
// sub-folder is opened from its parent's handle, never through a link, never a mount's root.
// A folder listed before in the scan (`listed`, only read until RecordListed) or earlier in
// this walk is skipped with everything below it; one whose files alone were listed is walked
// again, its files not given twice. Needs no window: it may run on a thread of its own.
class FolderWalk {
public:
    FolderWalk(FileSystem& fs, std::string root, bool recurse, const ListedFolders& listed);
    ~FolderWalk();
    FolderWalk(const FolderWalk&) = delete;
    FolderWalk& operator=(const FolderWalk&) = delete;

    // The next folder; false once the walk is done.
    bool Next(WalkedFolder& out);
    // Adds what this walk reached to `listed`, once nobody walks any more.
    void RecordListed(ListedFolders& listed) const;

private:
    struct Level {
        int handle = -1; // -1: deeper than the handles held; its sub-folders go by path
        std::uint64_t device = 0;
        std::vector<FolderEntry> subs;
        std::size_t next = 0;
    };
    bool Enter(int parent, std::uint64_t parentDevice, const std::string& name,
               const std::string& path, WalkedFolder& out);

    FileSystem& fs_;
    const std::string root_;
    const bool recurse_;
    const ListedFolders& listed_;
    std::unordered_set<FolderId, FolderIdHash> reached_;
    std::vector<Level> levels_;
    FolderListing listing_;
    bool started_ = false;
};

} // namespace quilder
