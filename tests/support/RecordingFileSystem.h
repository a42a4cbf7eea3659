#pragma once

#include "FileSystem.h"
#include "StoreWriter.h"

#include <cerrno>
#include <functional>
#include <map>
#include <set>

namespace quilder::test {

// The real file system, but it records which files are opened and can make single files (or
// folders, by path) fail: not open or delete at all, or fail every read (EIO) from an offset on.
// Files opened or deleted inside a folder handle are known by their name.
class RecordingFileSystem : public FileSystem {
public:
    int OpenRead(const std::string& path, FileFacts* facts) override {
        opened.push_back(path);
        return Opened(path, unopenable.count(path) ? -1 : FileSystem::OpenRead(path, facts));
    }
    int OpenReadAt(int folder, const std::string& name, std::uint64_t* size) override {
        return Opened(name,
                      unopenable.count(name) ? -1 : FileSystem::OpenReadAt(folder, name, size));
    }
    bool ListFolder(const std::string& path, FolderListing& out, bool withFolders) override {
        if (unopenable.count(path)) return errno = EACCES, false;
        return FileSystem::ListFolder(path, out, withFolders);
    }
    int ListFolderAt(int parent, std::uint64_t device, const std::string& name,
                     const std::string& path, FolderListing& out) override {
        if (unopenable.count(path)) return errno = EACCES, -1;
        return FileSystem::ListFolderAt(parent, device, name, path, out);
    }
    int OpenFolder(const std::string& path) override {
        return unopenable.count(path) ? (errno = EACCES, -1) : FileSystem::OpenFolder(path);
    }
    long long ReadAt(int fd, void* buffer, std::size_t length, std::uint64_t offset) override {
        const auto failing = failFrom.find(openFiles[fd]);
        if (failing != failFrom.end() && offset + length > failing->second) return errno = EIO, -1;
        return FileSystem::ReadAt(fd, buffer, length, offset);
    }

    bool DeleteFileAt(int folder, const std::string& name) override {
        if (undeletable.count(name)) return errno = EPERM, false;
        return FileSystem::DeleteFileAt(folder, name);
    }
    RemovalOutcome RemoveCompared(int folder, const std::string& folderPath,
                                  const std::string& name, const EntryState& compared) override {
        if (undeletable.count(name)) return {RemovalOutcome::Kind::Failed, EPERM, {}, {}};
        if (beforeRemoval) beforeRemoval(name);
        return FileSystem::RemoveCompared(folder, folderPath, name, compared);
    }

    // A name that cannot go to the trash, as on a drive without one.
    RemovalOutcome TrashCompared(int folder, const std::string& folderPath, const std::string& name,
                                 const EntryState& compared) override {
        if (untrashable.count(name)) return {RemovalOutcome::Kind::Failed, EACCES, {}, {}};
        if (beforeRemoval) beforeRemoval(name);
        return FileSystem::TrashCompared(folder, folderPath, name, compared);
    }

    // A name that cannot be replaced by a link, as on a drive without links.
    RemovalOutcome LinkCompared(int folder, const std::string& folderPath, const std::string& name,
                                const EntryState& compared,
                                const std::vector<RecordedEntry>& copies) override {
        if (unlinkable.count(name)) return {RemovalOutcome::Kind::Refused, EPERM, {}, {}};
        if (beforeRemoval) beforeRemoval(name);
        return FileSystem::LinkCompared(folder, folderPath, name, compared, copies);
    }

    std::set<std::string> unopenable, undeletable, unlinkable;
    std::set<std::string> untrashable;
    // Another program at work between the last look at a checked file and its removal.
    std::function<void(const std::string& name)> beforeRemoval;
    std::map<std::string, std::uint64_t> failFrom; // path or name -> first byte that cannot be read
    std::vector<std::string> opened;
    std::map<int, std::string> openFiles; // the path of each descriptor

private:
    int Opened(const std::string& path, int fd) { return openFiles[fd] = path, fd; }
};

inline RecordingFileSystem& InstallRecordingFileSystem() {
    StoreWriterService().Drain(); // its thread must be done with the service being replaced
    auto fs = std::make_unique<RecordingFileSystem>();
    RecordingFileSystem& ref = *fs;
    ReplaceFileSystemService(std::move(fs));
    return ref;
}

} // namespace quilder::test
