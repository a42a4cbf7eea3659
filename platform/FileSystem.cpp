#include "FileSystem.h"

#include "Service.h"

#include <fcntl.h>
#include <typeinfo>
#include <unistd.h>

// The service's operations live by concern beside this file: Drives, FolderListing (with
// FolderReading, the one loop that reads a folder), FileLookUps, FileReads, FileWrites, Removals.

namespace quilder {

FileSystem::FileSystem() = default;
FileSystem::~FileSystem() = default;

int FileSystem::OpenFolder(const std::string& path) {
    if (path.empty()) return -1;
    return open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int FileSystem::OpenFolderAt(int folder, const std::string& name) {
    return openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

void FileSystem::CloseFolder(int folder) {
    close(folder);
}

bool SafeOnAnyThread(const FileSystem& fs) {
    return typeid(fs) == typeid(FileSystem);
}

FileSystem& FileSystemService() {
    return ServiceInstance<FileSystem>();
}

void ReplaceFileSystemService(std::unique_ptr<FileSystem> fs) {
    ServiceSlot<FileSystem>() = std::move(fs);
}

void ReleaseFileSystemService() {
    ServiceSlot<FileSystem>().reset();
}

} // namespace quilder
