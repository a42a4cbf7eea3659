#pragma once

#include "FileSystem.h"

#include <map>
#include <set>

namespace quilder::test {

// The real file system, but it records which files are opened and can make single files fail:
// not open at all (by path, or by name in a folder), or fail every read from an offset on.
class RecordingFileSystem : public FileSystem {
public:
    int OpenRead(const std::string& path, std::uint64_t* size) override {
        opened.push_back(path);
        const int fd = unopenable.count(path) ? -1 : FileSystem::OpenRead(path, size);
        openFiles[fd] = path;
        return fd;
    }
    int OpenReadAt(int folder, const std::string& name, std::uint64_t* size) override {
        return unopenable.count(name) ? -1 : FileSystem::OpenReadAt(folder, name, size);
    }
    long long ReadAt(int fd, void* buffer, std::size_t length, std::uint64_t offset) override {
        const auto failing = failFrom.find(openFiles[fd]);
        if (failing != failFrom.end() && offset + length > failing->second) return -1;
        return FileSystem::ReadAt(fd, buffer, length, offset);
    }

    std::set<std::string> unopenable;
    std::map<std::string, std::uint64_t> failFrom; // path -> first byte that cannot be read
    std::vector<std::string> opened;
    std::map<int, std::string> openFiles; // the path of each descriptor
};

inline RecordingFileSystem& InstallRecordingFileSystem() {
    auto fs = std::make_unique<RecordingFileSystem>();
    RecordingFileSystem& ref = *fs;
    ReplaceFileSystemService(std::move(fs));
    return ref;
}

} // namespace quilder::test
