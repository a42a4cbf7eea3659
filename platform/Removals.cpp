#include "FileSystem.h"

#include "EntryTreeRemoval.h"
#include "FolderReading.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace quilder {

namespace {

// Whether an entry of the open folder (or, with AT_EMPTY_PATH and no name, the folder itself)
// is the root of a mount or lies on another file system than `device`. False when it cannot be
// looked at: what cannot be looked at cannot be removed either.
bool OnAnotherFileSystem(int folder, const char* name, int flags, std::uint64_t device) {
    struct statx st {};
    if (statx(folder, name, flags | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_INO, &st) != 0)
        return false;
    if (st.stx_attributes_mask & st.stx_attributes & STATX_ATTR_MOUNT_ROOT) return true;
    return makedev(st.stx_dev_major, st.stx_dev_minor) != device;
}

// One removal, which never leaves the file system it started on.
struct Removal {
    std::uint64_t device;
    const std::atomic<bool>* stop;
    std::string* leftMount;

    bool Stopped() const { return stop && stop->load(std::memory_order_relaxed); }

    bool LeaveInPlace(const std::string& path) {
        if (leftMount && leftMount->empty()) *leftMount = path;
        errno = EBUSY;
        return false;
    }

    // `parent` is the path of `folder` below the removal's start ("" at the start).
    bool Entry(int folder, const std::string& name, const std::string& parent) {
        if (unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT) return true;
        // Linux answers EISDIR for a folder, and EBUSY for a file that is a mount point.
        const int error = errno;
        if (error != EISDIR && error != EPERM && error != EBUSY) return false;
        const std::string path = parent.empty() ? name : parent + '/' + name;
        if (OnAnotherFileSystem(folder, name.c_str(), 0, device)) return LeaveInPlace(path);
        if (error == EBUSY) return errno = error, false;
        const int sub =
            openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub >= 0 && OnAnotherFileSystem(sub, "", AT_EMPTY_PATH, device)) { // mounted meanwhile
            close(sub);
            return LeaveInPlace(path);
        }
        if (sub >= 0 && !Contents(sub, path) && Stopped()) return false;
        return unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0;
    }

    // Removes everything inside the open folder dfd, which it closes; the folder itself stays.
    bool Contents(int dfd, const std::string& path) {
        // Names first: a folder read while its entries go may skip some.
        std::vector<std::string> names;
        ReadFolder(dfd, [&](const char* name, unsigned char) { names.emplace_back(name); });
        bool ok = true;
        for (const std::string& name : names) {
            if (Stopped()) {
                ok = false;
                break;
            }
            if (!Entry(dfd, name, path)) ok = false;
        }
        close(dfd);
        return ok;
    }
};

std::optional<std::uint64_t> DeviceOf(int folder) {
    struct stat st {};
    if (fstat(folder, &st) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_dev);
}

} // namespace

bool FileSystem::DeleteFile(const std::string& path) {
    // unlink never removes a folder, so no look before it is needed.
    return !path.empty() && unlink(path.c_str()) == 0;
}

bool FileSystem::DeleteFolder(const std::string& path) {
    if (path.empty()) return false;
    const int dfd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dfd < 0) return false;
    const std::optional<std::uint64_t> device = DeviceOf(dfd);
    if (!device) {
        close(dfd);
        return false;
    }
    Removal{*device, nullptr, nullptr}.Contents(dfd, path);
    return rmdir(path.c_str()) == 0;
}

bool FileSystem::DeleteFileAt(int folder, const std::string& name) {
    return unlinkat(folder, name.c_str(), 0) == 0;
}

bool RemoveEntryTreeAt(int folder, const std::string& name, const std::atomic<bool>* stop,
                       std::string* leftMount) {
    const std::optional<std::uint64_t> device = DeviceOf(folder);
    return device && Removal{*device, stop, leftMount}.Entry(folder, name, std::string());
}

bool FileSystem::RemoveEntryAt(int folder, const std::string& name) {
    return RemoveEntryTreeAt(folder, name);
}

} // namespace quilder
