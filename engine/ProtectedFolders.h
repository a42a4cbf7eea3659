#pragma once

#include "FileSystem.h"
#include "MountInside.h"

#include <QString>
#include <optional>
#include <vector>

namespace quilder {

// The folders the user protected for this run: no command deletes, trashes or replaces a file
// in one of them or below it. A folder is matched by its path, on whole components ("/a/b"
// holds "/a/b/c", never "/a/bc"), and, where a file is about to be acted on, by the identity
// it had when it was protected, so that a bind mount or another path to it is no way around.
class ProtectedFolders {
public:
    // `folder` is a full path without a trailing separator (the root stays "/").
    void Protect(const QString& folder);
    void Unprotect(const QString& folder);
    // Exactly this folder, as the tree's pop-up asks.
    bool IsProtected(const QString& folder) const;
    bool Empty() const { return folders_.empty(); }

    // Whether a folder's path lies in a protected folder or is one.
    bool Covers(const QString& folderPath) const;
    // Whether an open folder, or any folder above it reached by "..", is a protected folder,
    // or whether it lies in one on its file system however it is mounted (a bind mount of a
    // sub-folder leads by ".." elsewhere).
    bool HoldsOpenFolder(FileSystem& fs, int folder) const;

private:
    struct Folder {
        QString path;
        std::optional<FolderId> id;
        std::optional<InsidePath> inside; // as it was when protected
    };
    bool HoldsInside(int folder, std::uint64_t device) const;
    std::vector<Folder> folders_;
};

} // namespace quilder
