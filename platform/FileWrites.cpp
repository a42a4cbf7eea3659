#include "FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quilder {

namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Copies the rest of `in` to `out`; 0 or the errno.
int CopyBytes(int in, int out) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        if (!WriteAll(out, buffer, static_cast<std::size_t>(n))) return errno != 0 ? errno : EIO;
    }
}

} // namespace

bool FileSystem::CreateFolder(const std::string& path) {
    return !path.empty() && mkdir(path.c_str(), 0755) == 0;
}

bool FileSystem::MakeFolderAt(int folder, const std::string& name) {
    return mkdirat(folder, name.c_str(), 0755) == 0;
}

bool FileSystem::AppendToFile(const std::string& path, std::string_view data) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool ok = WriteAll(fd, data.data(), data.size());
    return close(fd) == 0 && ok;
}

bool FileSystem::CopyFile(const std::string& from, const std::string& to) {
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    struct stat st {};
    if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(in);
        return false;
    }
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        close(in);
        return false;
    }
    bool ok = CopyBytes(in, out) == 0;
    close(in);
    if (close(out) != 0) ok = false;
    return ok;
}

int FileSystem::MoveEntryAt(int folder, const std::string& from, const std::string& to) {
    return MoveEntryTo(folder, from, folder, to);
}

int FileSystem::MoveEntryTo(int folder, const std::string& from, int toFolder,
                            const std::string& to) {
    return renameat2(folder, from.c_str(), toFolder, to.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
}

int FileSystem::AppendAt(int folder, const std::string& name, std::string_view data) {
    // Most list and group files are written once, new: made exclusively, a file is known to be
    // regular and empty without asking. Neither way follows a link.
    constexpr int kFlags = O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    struct stat st {};
    bool known = true;
    int fd = openat(folder, name.c_str(), kFlags | O_EXCL, 0644);
    if (fd < 0 && errno == EEXIST) {
        fd = openat(folder, name.c_str(), kFlags, 0644);
        if (fd < 0) return errno;
        known = fstat(fd, &st) == 0;
    } else if (fd < 0) {
        return errno;
    } else {
        st.st_mode = S_IFREG;
    }
    int error = known ? 0 : errno;
    if (known && !S_ISREG(st.st_mode)) error = EINVAL;
    if (error == 0 && !WriteAll(fd, data.data(), data.size())) {
        error = errno != 0 ? errno : EIO;
        // Never a torn line: what was written of this append goes again.
        (void)!ftruncate(fd, st.st_size);
    }
    if (close(fd) != 0 && error == 0) error = errno;
    if (error != 0 && known && S_ISREG(st.st_mode) && st.st_size == 0)
        unlinkat(folder, name.c_str(), 0); // as if never made
    return error;
}

int FileSystem::CopyFileAt(int fromFolder, const std::string& fromName, int toFolder,
                           const std::string& toName) {
    const int in = OpenReadAt(fromFolder, fromName);
    if (in < 0) return errno != 0 ? errno : EINVAL;
    const int out =
        openat(toFolder, toName.c_str(),
               O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (out < 0) {
        const int error = errno;
        close(in);
        return error;
    }
    int error = CopyBytes(in, out);
    close(in);
    if (close(out) != 0 && error == 0) error = errno;
    if (error != 0) unlinkat(toFolder, toName.c_str(), 0); // no half copy
    return error;
}

} // namespace quilder
