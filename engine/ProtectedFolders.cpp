#include "ProtectedFolders.h"

#include "EntryState.h"
#include "PathText.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quilder {

namespace {

// Deeper than any real tree; a loop of folders cannot hold the walk.
constexpr int kDeepestWalk = 4096;

std::optional<FolderId> IdOfOpen(int folder) {
    struct stat st {};
    if (fstat(folder, &st) != 0) return std::nullopt;
    return FolderId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::optional<InsidePath> InsideOf(const QString& folder) {
    const int fd = open(TextToPath(folder).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::optional<InsidePath> inside = InsidePathOfHandle(fd);
    close(fd);
    return inside;
}

} // namespace

void ProtectedFolders::Protect(const QString& folder) {
    if (folder.isEmpty() || IsProtected(folder)) return;
    // A folder that cannot be reached now is still protected by its path.
    folders_.push_back({folder, FolderIdOf(TextToPath(folder)), InsideOf(folder)});
}

void ProtectedFolders::Unprotect(const QString& folder) {
    std::erase_if(folders_, [&](const Folder& f) { return f.path == folder; });
}

bool ProtectedFolders::IsProtected(const QString& folder) const {
    return std::any_of(folders_.begin(), folders_.end(),
                       [&](const Folder& f) { return f.path == folder; });
}

bool ProtectedFolders::Covers(const QString& folderPath) const {
    for (const Folder& f : folders_) {
        if (!folderPath.startsWith(f.path)) continue;
        if (folderPath.size() == f.path.size() || f.path.endsWith(QLatin1Char('/')) ||
            folderPath[f.path.size()] == QLatin1Char('/'))
            return true;
    }
    return false;
}

bool ProtectedFolders::HoldsInside(int folder, std::uint64_t device) const {
    const auto onDevice = [&](const Folder& f) { return f.inside && f.inside->device == device; };
    if (std::none_of(folders_.begin(), folders_.end(), onDevice)) return false;
    const std::optional<InsidePath> inside = InsidePathOfHandle(folder);
    // Without mountinfo only the paths and the walk by ".." guard the folders.
    if (!inside) return false;
    return std::any_of(folders_.begin(), folders_.end(), [&](const Folder& f) {
        return onDevice(f) && PathWithin(inside->path, f.inside->path);
    });
}

bool ProtectedFolders::HoldsOpenFolder(FileSystem& fs, int folder) const {
    std::optional<FolderId> id = IdOfOpen(folder);
    if (id && HoldsInside(folder, id->device)) return true;
    std::vector<FolderId> ids;
    for (const Folder& f : folders_)
        if (f.id) ids.push_back(*f.id);
    if (ids.empty()) return false;
    int current = -1; // the handle this walk opened, if any
    bool held = false;
    for (int depth = 0; id && depth < kDeepestWalk; ++depth) {
        if (std::find(ids.begin(), ids.end(), *id) != ids.end()) {
            held = true;
            break;
        }
        const int parent = fs.OpenFolderAt(current >= 0 ? current : folder, "..");
        if (current >= 0) fs.CloseFolder(current);
        current = parent;
        if (current < 0) break;
        const std::optional<FolderId> above = IdOfOpen(current);
        if (above == id) break; // the root is its own parent
        id = above;
    }
    if (current >= 0) fs.CloseFolder(current);
    return held;
}

} // namespace quilder
