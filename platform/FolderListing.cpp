#include "FileSystem.h"

#include "FolderReading.h"
#include "MountPoints.h"
#include "PathText.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace quilder {

bool FileSystem::StatusAt(int folder, const char* name, EntryStatus& out) {
    struct statx st {};
    if (statx(folder, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
              STATX_TYPE | STATX_SIZE | STATX_INO, &st) != 0)
        return false;
    out.kind = S_ISREG(st.stx_mode)   ? EntryStatus::Kind::File
               : S_ISDIR(st.stx_mode) ? EntryStatus::Kind::Folder
                                      : EntryStatus::Kind::Other;
    out.size = st.stx_size;
    out.id = {makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino};
    out.mountRootKnown = (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0;
    out.mountRoot = (st.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    return true;
}

bool FileSystem::ListFolder(const std::string& path, FolderListing& out, bool withFolders) {
    out.files.clear();
    out.folders.clear();
    const int dfd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) return false;
    struct stat self {};
    if (fstat(dfd, &self) != 0) {
        close(dfd);
        return false;
    }
    out.id = {static_cast<std::uint64_t>(self.st_dev), static_cast<std::uint64_t>(self.st_ino)};
    const bool read = ReadFolder(dfd, [&](const char* name, unsigned char type) {
        if (type != DT_REG && type != DT_UNKNOWN && !(type == DT_DIR && withFolders)) return;
        EntryStatus st;
        if (!StatusAt(dfd, name, st)) return; // vanished meanwhile
        // A file mounted onto another path is the same file as its source: never its copy.
        if (IsMountPoint(st, self.st_dev)) return;
        if (st.kind == EntryStatus::Kind::File)
            out.files.push_back({name, JoinPath(path, name), st.size});
        else if (withFolders && st.kind == EntryStatus::Kind::Folder)
            out.folders.push_back({name, JoinPath(path, name), st.id});
    });
    close(dfd);
    if (!read) {
        out.files.clear();
        out.folders.clear();
    }
    return read;
}

bool FileSystem::ListFileNames(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    const int dfd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) return false;
    const bool listed = ListFileNamesAt(dfd, names);
    close(dfd);
    return listed;
}

bool FileSystem::ListFileNamesAt(int folder, std::vector<std::string>& names) {
    names.clear();
    return ReadFolder(folder, [&](const char* name, unsigned char type) {
        if (type == DT_UNKNOWN) {
            struct stat st {};
            if (fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
                return;
        } else if (type != DT_REG) {
            return;
        }
        names.emplace_back(name);
    });
}

} // namespace quilder
