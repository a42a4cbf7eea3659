#include "FileSystem.h"

#include "FolderReading.h"
#include "MountPoints.h"
#include "PathText.h"

#include <cerrno>
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

namespace {

FolderId IdOf(const struct statx& st) {
    return {makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino};
}

// What a look at an entry tells of its identity and whether a mount has its root there.
EntryStatus MountStatusOf(const struct statx& st) {
    EntryStatus out;
    out.id = IdOf(st);
    out.mountRootKnown = (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0;
    out.mountRoot = (st.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    return out;
}

// Reused from folder to folder by each thread that lists.
EntryBuffer& ThreadsBuffer() {
    thread_local EntryBuffer buffer;
    return buffer;
}

} // namespace

bool FileSystem::ListFolder(const std::string& path, FolderListing& out, bool withFolders) {
    out.files.clear();
    out.folders.clear();
    const int dfd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) return false;
    struct statx self {};
    if (statx(dfd, "", AT_EMPTY_PATH, STATX_INO, &self) != 0) {
        close(dfd);
        return false;
    }
    out.id = IdOf(self);
    const bool read = ThreadsBuffer().ReadFresh(dfd, [&](const char* name, unsigned char type) {
        if (type != DT_REG && type != DT_UNKNOWN && !(type == DT_DIR && withFolders)) return;
        EntryStatus st;
        if (!StatusAt(dfd, name, st)) return; // vanished meanwhile
        // A file mounted onto another path is the same file as its source: never its copy.
        if (IsMountPoint(st, out.id.device)) return;
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

int FileSystem::ListFolderAt(int parent, std::uint64_t parentDevice, const std::string& name,
                             const std::string& path, FolderListing& out) {
    out.files.clear();
    out.folders.clear();
    const bool root = parent == kWalkRoot;
    const int dfd =
        root ? open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
             : openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dfd < 0) {
        // A sub-folder gone, or replaced by a link or a file since its parent was read.
        if (!root && (errno == ENOENT || errno == ENOTDIR || errno == ELOOP)) errno = 0;
        return -1;
    }
    const auto fail = [&] {
        const int error = errno;
        close(dfd);
        out.files.clear();
        out.folders.clear();
        errno = error;
        return -1;
    };
    // Identity and mount root of the folder itself: one look instead of one from its parent.
    struct statx self {};
    if (statx(dfd, "", AT_EMPTY_PATH, STATX_INO, &self) != 0) return fail();
    const EntryStatus folder = MountStatusOf(self);
    if (!root && IsMountPoint(folder, parentDevice)) return errno = 0, fail();
    out.id = folder.id;
    const bool read = ThreadsBuffer().ReadFresh(dfd, [&](const char* entry, unsigned char type) {
        // A folder's own look tells whether it is a mount's root, once it is opened.
        if (type == DT_DIR) return out.folders.push_back({entry, JoinPath(path, entry), {}});
        if (type != DT_REG && type != DT_UNKNOWN) return;
        struct statx st {};
        const unsigned mask = type == DT_UNKNOWN ? STATX_TYPE | STATX_SIZE : STATX_SIZE;
        if (statx(dfd, entry, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, mask, &st) != 0) return;
        // The type as the system tells it now, whenever it does (a FIFO put in meanwhile).
        if ((st.stx_mask & STATX_TYPE) != 0) {
            if (S_ISDIR(st.stx_mode) && type == DT_UNKNOWN)
                return out.folders.push_back({entry, JoinPath(path, entry), {}});
            if (!S_ISREG(st.stx_mode)) return;
        } else if (type == DT_UNKNOWN) {
            return;
        }
        // A file mounted onto another path is the same file as its source: never its copy.
        if (IsMountPoint(MountStatusOf(st), out.id.device)) return;
        out.files.push_back({entry, JoinPath(path, entry), st.stx_size});
    });
    if (!read) return fail();
    return dfd;
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
