#pragma once

#include "FileSystem.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace quilder {

// An open file for reading that is always closed, whatever way the scope is left.
class ReadHandle {
public:
    ReadHandle(FileSystem& fs, const std::string& path) : fs_(fs), fd_(fs.OpenRead(path, &facts_)) {
        size_ = facts_.size;
    }
    ReadHandle(FileSystem& fs, int folder, const std::string& name)
        : fs_(fs), fd_(fs.OpenReadAt(folder, name, &size_)) {}
    ~ReadHandle() {
        if (fd_ >= 0) fs_.CloseRead(fd_);
    }
    ReadHandle(const ReadHandle&) = delete;
    ReadHandle& operator=(const ReadHandle&) = delete;
    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    std::uint64_t Size() const { return size_; } // when it was opened
    // Size and time when it was opened; the time only for a handle opened by path.
    const FileFacts& Facts() const { return facts_; }
    // Reads stop at the size the file had when it was opened, which spares the read that would
    // only find the end.
    long long ReadAt(void* buffer, std::size_t length, std::uint64_t offset) {
        if (offset >= size_) return 0;
        return fs_.ReadAt(fd_, buffer,
                          static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset)),
                          offset);
    }

private:
    FileSystem& fs_;
    FileFacts facts_{UINT64_MAX, 0};
    std::uint64_t size_ = UINT64_MAX;
    int fd_;
};

} // namespace quilder
