#include "TrashPlace.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quilder {

OwnedFd& OwnedFd::operator=(OwnedFd&& other) noexcept {
    if (this != &other) {
        Reset();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void OwnedFd::Reset() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

std::string PathOfHandle(int fd) {
    std::string path(4096, '\0');
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = readlink(link.c_str(), path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return {};
    path.resize(static_cast<std::size_t>(length));
    static const std::string kDeleted = " (deleted)";
    if (path.front() != '/') return {};
    if (path.size() > kDeleted.size() && path.ends_with(kDeleted)) return {};
    return path;
}

namespace {

// Deeper than any real tree: a bound on the walk up to a mount's top.
constexpr int kMostLevels = 4096;
constexpr int kWalk = O_PATH | O_DIRECTORY | O_CLOEXEC;
// info/ is synced after each new file, which needs a handle opened for reading.
constexpr int kRead = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const Identity&) const = default;
};

std::optional<Identity> IdentityOf(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0) return std::nullopt;
    return Identity{st.st_dev, st.st_ino};
}

// The top folder of the mount that holds the open folder: a rename never crosses it.
OwnedFd MountTopOf(int folder) {
    OwnedFd current(openat(folder, ".", kWalk));
    for (int level = 0; current.Valid() && level < kMostLevels; ++level) {
        struct statx here {};
        struct statx up {};
        const int flags = AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;
        if (statx(current.Get(), "", flags, STATX_INO, &here) != 0) return {};
        if (here.stx_attributes_mask & here.stx_attributes & STATX_ATTR_MOUNT_ROOT) return current;
        OwnedFd parent(openat(current.Get(), "..", kWalk));
        if (!parent.Valid() || statx(parent.Get(), "", flags, STATX_INO, &up) != 0) return {};
        if (up.stx_dev_major != here.stx_dev_major || up.stx_dev_minor != here.stx_dev_minor ||
            up.stx_ino == here.stx_ino) // another file system, or "/"
            return current;
        current = std::move(parent);
    }
    if (current.Valid()) errno = ELOOP;
    return {};
}

std::optional<Identity> MountTopIdentity(int folder) {
    const OwnedFd top = MountTopOf(folder);
    return top.Valid() ? IdentityOf(top.Get()) : std::nullopt;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir || found->pw_dir[0] != '/')
        return {};
    return found->pw_dir;
}

// $XDG_DATA_HOME when it is an absolute path (a relative one is ignored), else ~/.local/share.
std::string DataHome() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') return data;
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/.local/share";
}

std::vector<std::string> Segments(const std::string& path) {
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start && path.compare(start, end - start, ".") != 0)
            segments.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return segments;
}

// Opens the folder `name` of `parent`, never through a link, making it 0700 where missing.
OwnedFd OpenOrMake(int parent, const std::string& name, int flags) {
    OwnedFd fd(openat(parent, name.c_str(), flags | O_NOFOLLOW));
    if (!fd.Valid() && errno == ENOENT) {
        if (mkdirat(parent, name.c_str(), 0700) != 0 && errno != EEXIST) return {};
        fd = OwnedFd(openat(parent, name.c_str(), flags | O_NOFOLLOW));
    }
    struct stat st {};
    if (fd.Valid() && (fstat(fd.Get(), &st) != 0 || !S_ISDIR(st.st_mode))) {
        errno = ENOTDIR;
        return {};
    }
    return fd;
}

struct Refusal {
    int error = 0;
    std::string why;
};

// Opens a folder of a trash: a real folder (never a link), made 0700 where missing; where
// `owned`, also the user's own and closed to everybody else, since others could read or plant
// files there.
OwnedFd OpenTrashFolder(int parent, const std::string& name, int flags, bool owned,
                        Refusal& refusal) {
    OwnedFd fd = OpenOrMake(parent, name, flags);
    if (!fd.Valid()) {
        struct stat st {};
        refusal.error = errno;
        if (fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
            refusal = {0, "is a symbolic link"};
        else if (refusal.error == ENOTDIR)
            refusal = {0, "is not a folder"};
        else
            refusal.why = "cannot be opened or made";
        return {};
    }
    struct stat st {};
    if (fstat(fd.Get(), &st) != 0) return refusal = {errno, "cannot be looked at"}, OwnedFd();
    if (owned && st.st_uid != getuid()) return refusal = {0, "belongs to another user"}, OwnedFd();
    if (owned && (st.st_mode & 077) != 0) return refusal = {0, "is open to other users"}, OwnedFd();
    return fd;
}

std::string Joined(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + '/' + name;
}

// files/ and info/ of a trash folder; false with `refusal` (naming the failing one) otherwise.
bool OpenParts(int trash, const std::string& trashPath, TrashPlace& place, Refusal& refusal) {
    place.filesPath = Joined(trashPath, "files");
    place.infoPath = Joined(trashPath, "info");
    place.files = OpenTrashFolder(trash, "files", kRead, false, refusal);
    if (!place.files.Valid()) return refusal.why = place.filesPath + ' ' + refusal.why, false;
    place.info = OpenTrashFolder(trash, "info", kRead, false, refusal);
    if (!place.info.Valid()) return refusal.why = place.infoPath + ' ' + refusal.why, false;
    return true;
}

enum class Home { Found, Elsewhere, Failed };

// The home trash, when it is (or would be made) on the mount whose top is `fileTop`. Nothing
// is made before that is known: the deepest folder of its path that exists tells.
Home HomeTrash(const Identity& fileTop, dev_t fileDevice, TrashSearch& search) {
    const std::string data = DataHome();
    if (data.empty()) return Home::Elsewhere;
    std::vector<std::string> steps = Segments(data);
    const std::size_t dataSteps = steps.size();
    steps.push_back("Trash");
    OwnedFd at(open("/", kWalk));
    std::size_t reached = 0;
    for (; at.Valid() && reached < steps.size(); ++reached) {
        // The data folder's own path may hold links the user set up; Trash may not.
        const int flags = reached < dataSteps ? kWalk : kWalk | O_NOFOLLOW;
        OwnedFd next(openat(at.Get(), steps[reached].c_str(), flags));
        if (!next.Valid()) break;
        at = std::move(next);
    }
    if (!at.Valid()) return Home::Elsewhere;
    struct stat st {};
    if (fstat(at.Get(), &st) != 0 || st.st_dev != fileDevice ||
        MountTopIdentity(at.Get()) != fileTop)
        return Home::Elsewhere;
    const std::string trashPath = Joined(data, "Trash");
    Refusal refusal;
    for (; reached < steps.size(); ++reached) {
        at = OpenTrashFolder(at.Get(), steps[reached], kWalk, false, refusal);
        if (!at.Valid()) break;
    }
    if (at.Valid() && OpenParts(at.Get(), trashPath, search.place, refusal) &&
        MountTopIdentity(search.place.files.Get()) == fileTop)
        return Home::Found;
    if (refusal.why.empty()) refusal.why = "is on another drive";
    search.error = refusal.error;
    search.why = "the trash in the home folder cannot be used: " +
                 (refusal.why.starts_with(trashPath) ? refusal.why : trashPath + ' ' + refusal.why);
    return Home::Failed;
}

// $topdir/.Trash/$uid where .Trash is a real folder with the sticky bit, else $topdir/.Trash-$uid.
bool DriveTrash(OwnedFd top, TrashSearch& search) {
    std::string topPath = PathOfHandle(top.Get());
    if (topPath.empty()) topPath = "its drive";
    const std::string uid = std::to_string(getuid());
    Refusal refusal;
    const OwnedFd shared(openat(top.Get(), ".Trash", kWalk | O_NOFOLLOW));
    struct stat st {};
    if (shared.Valid() && fstat(shared.Get(), &st) == 0 && S_ISDIR(st.st_mode) &&
        (st.st_mode & S_ISVTX) != 0) {
        const std::string path = Joined(Joined(topPath, ".Trash"), uid);
        const OwnedFd mine = OpenTrashFolder(shared.Get(), uid, kWalk, true, refusal);
        if (mine.Valid() && OpenParts(mine.Get(), path, search.place, refusal)) {
            search.place.top = std::move(top);
            return true;
        }
    }
    const std::string path = Joined(topPath, ".Trash-" + uid);
    refusal = {};
    const OwnedFd mine = OpenTrashFolder(top.Get(), ".Trash-" + uid, kWalk, true, refusal);
    if (mine.Valid() && OpenParts(mine.Get(), path, search.place, refusal)) {
        search.place.top = std::move(top);
        return true;
    }
    search.error = refusal.error;
    search.why = "no trash on its drive can be used: " +
                 (refusal.why.starts_with(path) ? refusal.why : path + ' ' + refusal.why);
    return false;
}

} // namespace

TrashSearch FindTrashFor(int folder) {
    TrashSearch search;
    struct stat st {};
    OwnedFd top = MountTopOf(folder);
    const auto topIdentity = top.Valid() ? IdentityOf(top.Get()) : std::nullopt;
    if (!topIdentity || fstat(folder, &st) != 0) {
        search.error = errno;
        search.why = "the drive that holds it cannot be told";
        return search;
    }
    switch (HomeTrash(*topIdentity, st.st_dev, search)) {
    case Home::Found:
        search.found = true;
        return search;
    case Home::Failed:
        return search;
    case Home::Elsewhere:
        break;
    }
    search.found = DriveTrash(std::move(top), search);
    return search;
}

} // namespace quilder
