#include "FileSystem.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quilder {

namespace {

// The path that leads to an open folder now, as the system knows it.
std::string PathOfFolder(int folder) {
    std::string path(4096, '\0');
    const std::string link = "/proc/self/fd/" + std::to_string(folder);
    const ssize_t length = readlink(link.c_str(), path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return {};
    path.resize(static_cast<std::size_t>(length));
    return path;
}

} // namespace

int FileSystem::MoveToTrashAt(int folder, const std::string& name) {
    const std::string folderPath = PathOfFolder(folder);
    if (folderPath.empty() || folderPath.front() != '/') return ENOENT;
    const std::string path = folderPath == "/" ? "/" + name : folderPath + "/" + name;
    // The trash is reached by path: a name the path text cannot spell exactly might lead the
    // move to another file.
    const QString text = QFile::decodeName(path.c_str());
    if (QFile::encodeName(text).toStdString() != path) return EILSEQ;
    struct stat held {};
    struct stat reached {};
    struct stat entry {};
    struct stat byPath {};
    if (fstat(folder, &held) != 0 || stat(folderPath.c_str(), &reached) != 0 ||
        fstatat(folder, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0 ||
        lstat(path.c_str(), &byPath) != 0)
        return errno;
    const auto same = [](const struct stat& a, const struct stat& b) {
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    };
    if (!same(held, reached) || !same(entry, byPath) || !S_ISREG(byPath.st_mode)) return ESTALE;
    errno = 0;
    QFile file(text);
    if (file.moveToTrash()) return 0;
    return errno != 0 ? errno : EACCES;
}

} // namespace quilder
