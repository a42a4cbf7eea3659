#include "ReplaceFile.h"

#include "FileSystem.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quilder {

namespace {

// The rename that replaces the file works only within one file system, so the new file is made
// beside the old one.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// A new file under a name nobody else uses, created with the mode the user's umask gives.
int CreateNewFile(const std::string& folder, std::string& path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = JoinPath(folder,
                        ".quilder-save-" + std::to_string(QRandomGenerator::global()->generate()));
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

} // namespace

bool ReplaceFile(const std::string& path, const std::function<bool(QIODevice&)>& write,
                 QString& error) {
    if (path.empty()) {
        error = qt_error_string(ENOENT);
        return false;
    }
    std::string target = path;
    struct stat old {};
    if (lstat(path.c_str(), &old) == 0 && S_ISLNK(old.st_mode)) {
        if (char* resolved = realpath(path.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    const bool existed = stat(target.c_str(), &old) == 0;

    std::string temporary;
    const int fd = CreateNewFile(FolderOf(target), temporary);
    if (fd < 0) {
        error = qt_error_string(errno);
        return false;
    }
    if (existed && S_ISREG(old.st_mode)) fchmod(fd, old.st_mode & 07777);
    bool ok = false;
    {
        QFile out;
        ok = out.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                      QFileDevice::DontCloseHandle) &&
             write(out);
        if (!ok) error = out.errorString();
    }
    const auto fail = [&] {
        ok = false;
        error = qt_error_string(errno);
    };
    if (ok && fsync(fd) != 0) fail();
    if (close(fd) != 0 && ok) fail();
    if (ok && rename(temporary.c_str(), target.c_str()) != 0) fail();
    if (!ok) unlink(temporary.c_str());
    return ok;
}

} // namespace quilder
