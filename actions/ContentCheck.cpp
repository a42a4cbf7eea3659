#include "ContentCheck.h"

#include "FileSystem.h"

#include <cstring>
#include <sys/stat.h>

namespace quilder {

namespace {

constexpr std::size_t kChunk = 1 << 20;

// A file open for positioned reads, closed whatever way the scope is left.
class OpenFile {
public:
    OpenFile(FileSystem& fs, const std::string& path) : fs_(fs), fd_(fs.OpenRead(path, &size_)) {}
    ~OpenFile() {
        if (fd_ >= 0) fs_.CloseRead(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    std::uint64_t Size() const { return size_; }
    bool ReadWhole(char* buffer, std::size_t length, std::uint64_t offset) {
        return fs_.ReadAt(fd_, buffer, length, offset) == static_cast<long long>(length);
    }
    bool Stat(struct stat& st) const { return fstat(fd_, &st) == 0; }

private:
    FileSystem& fs_;
    std::uint64_t size_ = 0;
    int fd_;
};

bool SameIdentity(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether two paths of one file are one directory entry reached twice (a bind mount, a folder
// given twice): deleting "the copy" would delete the only one. Two hard links are two entries,
// and deleting one keeps the content in the other.
bool OneEntry(const std::string& a, const std::string& b) {
    const std::size_t slashA = a.rfind('/');
    const std::size_t slashB = b.rfind('/');
    if (slashA == std::string::npos || slashB == std::string::npos) return true;
    if (a.compare(slashA + 1, std::string::npos, b, slashB + 1, std::string::npos) != 0)
        return false;
    struct stat folderA {};
    struct stat folderB {};
    const std::string parentA = slashA == 0 ? "/" : a.substr(0, slashA);
    const std::string parentB = slashB == 0 ? "/" : b.substr(0, slashB);
    // A folder that cannot be looked at might be the same one: assume the worst.
    if (stat(parentA.c_str(), &folderA) != 0 || stat(parentB.c_str(), &folderB) != 0) return true;
    return SameIdentity(folderA, folderB);
}

} // namespace

ContentCheck::ContentCheck(FileSystem& fs, std::function<bool()> yield)
    : fs_(fs), yield_(std::move(yield)), first_(kChunk), second_(kChunk) {}

ContentVerdict ContentCheck::Compare(const std::string& file, const std::string& other) {
    OpenFile a(fs_, file);
    OpenFile b(fs_, other);
    struct stat sa {};
    struct stat sb {};
    if (!a.IsOpen() || !b.IsOpen() || !a.Stat(sa) || !b.Stat(sb))
        return ContentVerdict::NotCompared;
    if (SameIdentity(sa, sb))
        return OneEntry(file, other) ? ContentVerdict::NotCompared : ContentVerdict::Same;
    if (a.Size() != b.Size()) return ContentVerdict::Differs;
    for (std::uint64_t offset = 0; offset < a.Size(); offset += kChunk) {
        if (offset > 0 && !yield_()) return ContentVerdict::Abandoned;
        const auto length =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, a.Size() - offset));
        if (!a.ReadWhole(first_.data(), length, offset) ||
            !b.ReadWhole(second_.data(), length, offset))
            return ContentVerdict::NotCompared;
        if (std::memcmp(first_.data(), second_.data(), length) != 0) return ContentVerdict::Differs;
    }
    return ContentVerdict::Same;
}

} // namespace quilder
