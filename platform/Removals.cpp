#include "FileSystem.h"

#include "FolderReading.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quilder {

namespace {

// Removes everything inside the open folder dfd, which it closes; the folder itself stays.
bool RemoveContents(int dfd, const std::atomic<bool>* stop) {
    // Names first: a folder read while its entries go may skip some.
    std::vector<std::string> names;
    ReadFolder(dfd, [&](const char* name, unsigned char) { names.emplace_back(name); });
    bool ok = true;
    for (const std::string& name : names) {
        if (stop && stop->load(std::memory_order_relaxed)) {
            ok = false;
            break;
        }
        if (!RemoveEntryTreeAt(dfd, name, stop)) ok = false;
    }
    close(dfd);
    return ok;
}

} // namespace

bool FileSystem::DeleteFile(const std::string& path) {
    // unlink never removes a folder, so no look before it is needed.
    return !path.empty() && unlink(path.c_str()) == 0;
}

bool FileSystem::DeleteFolder(const std::string& path) {
    if (path.empty()) return false;
    const int dfd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dfd < 0) return false;
    RemoveContents(dfd, nullptr);
    return rmdir(path.c_str()) == 0;
}

bool FileSystem::DeleteFileAt(int folder, const std::string& name) {
    return unlinkat(folder, name.c_str(), 0) == 0;
}

bool RemoveEntryTreeAt(int folder, const std::string& name, const std::atomic<bool>* stop) {
    if (unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT) return true;
    if (errno != EISDIR && errno != EPERM) return false; // Linux answers EISDIR for a folder
    const int sub = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub >= 0 && !RemoveContents(sub, stop) && stop && stop->load()) return false;
    return unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0;
}

bool FileSystem::RemoveEntryAt(int folder, const std::string& name) {
    return RemoveEntryTreeAt(folder, name);
}

} // namespace quilder
