#pragma once

#include <string>
#include <utility>

namespace quilder {

// An open file handle that closes itself.
class OwnedFd {
public:
    OwnedFd() = default;
    explicit OwnedFd(int fd) : fd_(fd) {}
    OwnedFd(OwnedFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    OwnedFd& operator=(OwnedFd&& other) noexcept;
    OwnedFd(const OwnedFd&) = delete;
    OwnedFd& operator=(const OwnedFd&) = delete;
    ~OwnedFd() { Reset(); }
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    void Reset();

private:
    int fd_ = -1;
};

// The absolute path an open handle leads to now, as the system tells it; empty when it has none
// (a folder removed meanwhile, or one outside this process's view of the file system).
std::string PathOfHandle(int fd);

// One freedesktop.org trash, its files/ and info/ folders open.
struct TrashPlace {
    OwnedFd files;
    OwnedFd info;
    OwnedFd top;           // a drive's trash: the drive's top folder, which Path= is relative to
    std::string filesPath; // for the user's messages only
    std::string infoPath;
};

struct TrashSearch {
    bool found = false;
    TrashPlace place;
    int error = 0;   // when not found: the errno value, or 0
    std::string why; // when not found: in the user's words
};

// The trash for the entries of the open folder, on the same mount as that folder: the home
// trash when it is there, otherwise the drive's own .Trash/$uid or .Trash-$uid, made where
// missing. A drive's trash is refused when it is a link, another user's, or open to others.
TrashSearch FindTrashFor(int folder);

} // namespace quilder
