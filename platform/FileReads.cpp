#include "FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace quilder {

namespace {

// The descriptor when it is a regular file, its size (and time) given when asked; else closed,
// -1.
int RegularOrClose(int fd, std::uint64_t* size, FileFacts* facts = nullptr) {
    if (fd < 0) return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    if (size) *size = static_cast<std::uint64_t>(st.st_size);
    if (facts)
        *facts = {static_cast<std::uint64_t>(st.st_size),
                  static_cast<std::int64_t>(st.st_mtim.tv_sec)};
    return fd;
}

} // namespace

int FileSystem::OpenRead(const std::string& path, FileFacts* facts) {
    if (path.empty()) return -1;
    // Non-blocking so that a FIFO put in a file's place can never hang the open.
    return RegularOrClose(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK),
                          nullptr, facts);
}

int FileSystem::OpenReadAt(int folder, const std::string& name, std::uint64_t* size) {
    return RegularOrClose(
        openat(folder, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK), size);
}

long long FileSystem::ReadAt(int fd, void* buffer, std::size_t length, std::uint64_t offset) {
    auto* p = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = pread(fd, p + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

void FileSystem::CloseRead(int fd) {
    close(fd);
}

bool FileSystem::IsCached(const std::string& path) {
    const int fd = OpenRead(path);
    if (fd < 0) return true;
    char byte;
    iovec one{&byte, 1};
    const bool waits = preadv2(fd, &one, 1, 0, RWF_NOWAIT) < 0 && errno == EAGAIN;
    close(fd);
    return !waits;
}

void FileSystem::Prefetch(const std::string& path, std::uint64_t length) {
    const int fd = OpenRead(path);
    if (fd < 0) return;
    (void)posix_fadvise(fd, 0, static_cast<off_t>(length), POSIX_FADV_WILLNEED);
    close(fd);
}

} // namespace quilder
