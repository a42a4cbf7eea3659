#include "ReplaceFile.h"

#include "PathText.h"

#include <QIODevice>
#include <QRandomGenerator>
#include <cerrno>
#include <climits>
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

// The file that path names once every link on the way is followed, whether it exists or not: a
// link whose file is gone is saved through, as the shell's ">" would. Empty when the links loop.
std::string LinkTarget(std::string path, int& error) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) {
            error = length < 0 ? errno : ENAMETOOLONG;
            return {};
        }
        target.resize(static_cast<std::size_t>(length));
        path = target.front() == '/' ? target : JoinPath(FolderOf(path), target);
    }
    error = ELOOP;
    return {};
}

// Writes straight to the descriptor and keeps the system's reason when a write fails: a file
// device reports a write that stopped partway, as on a full disk, as an unknown error.
class DescriptorWriter : public QIODevice {
public:
    explicit DescriptorWriter(int fd) : fd_(fd) { open(WriteOnly | Unbuffered); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        qint64 done = 0;
        while (done < size) {
            const ssize_t written =
                ::write(fd_, data + done, static_cast<std::size_t>(size - done));
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) {
                setErrorString(qt_error_string(written < 0 ? errno : EIO));
                return -1;
            }
            done += written;
        }
        return done;
    }

private:
    int fd_;
};

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
    int linkError = 0;
    const std::string target = LinkTarget(path, linkError);
    if (target.empty()) {
        error = qt_error_string(linkError);
        return false;
    }
    struct stat old {};
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
        DescriptorWriter out(fd);
        ok = write(out);
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
