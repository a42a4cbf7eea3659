#include "FileSystem.h"

#include <sys/stat.h>

namespace quilder {

bool FileSystem::IsFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FileSystem::IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::uint64_t> FileSystem::FileSize(const std::string& path) {
    struct stat st {};
    if (path.empty() || lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

std::optional<FileFacts> FileSystem::LookUpFile(const std::string& path) {
    // Only absolute paths name a file: a relative one would depend on the working folder.
    if (path.empty() || path.front() != '/') return std::nullopt;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return FileFacts{static_cast<std::uint64_t>(st.st_size),
                     static_cast<std::int64_t>(st.st_mtim.tv_sec)};
}

bool FileSystem::SetAttributes(const std::string& path, int attributes) {
    (void)attributes; // hidden and system have no counterpart here
    return IsFolder(path) || IsFile(path);
}

} // namespace quilder
