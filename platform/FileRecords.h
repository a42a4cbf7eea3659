#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quilder {

// The plain records that the file-system service hands out.

struct Drive {
    std::string key; // the mount's root path; also the drive's root folder
    QString caption; // volume name (or share) + " (" + key + ")"
};

struct FileEntry {
    std::string name;
    std::string path;
    std::uint64_t size = 0;
};

// A folder's identity, whatever path reached it.
struct FolderId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FolderId&) const = default;
};
struct FolderIdHash {
    std::size_t operator()(const FolderId& id) const { return id.inode * 31 + id.device; }
};

struct FolderEntry {
    std::string name;
    std::string path;
    FolderId id; // zero from a walk's listing (FileSystem::ListFolderAt)
};

struct FolderListing {
    FolderId id; // of the listed folder itself
    std::vector<FileEntry> files;
    std::vector<FolderEntry> folders;
};

// What a listing learns of one entry without following it.
struct EntryStatus {
    enum class Kind { File, Folder, Other } kind = Kind::Other;
    std::uint64_t size = 0;
    FolderId id;
    bool mountRootKnown = false; // the system can tell a mount's root (bind mounts included)
    bool mountRoot = false;
};

// What a result row needs to know of a file.
struct FileFacts {
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0; // since the epoch
};

} // namespace quilder
