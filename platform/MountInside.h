#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quilder {

// Where a folder lies inside its file system, whatever mount shows it: a bind mount of a
// sub-folder shows the same folder at another path, but the same device and inside path.
struct InsidePath {
    std::uint64_t device = 0;
    std::string path; // from the file system's own top, e.g. "/home/a" on the root drive
};

// The inside path of the folder at the absolute, link-free `path` on `device`, from the mount
// with the longest mount point above it (whole components) that shows that device. Nothing
// when /proc/self/mountinfo cannot be read or lists no such mount.
std::optional<InsidePath> InsidePathOf(const std::string& path, std::uint64_t device);
// The same for an open folder, by the path the system gives its handle.
std::optional<InsidePath> InsidePathOfHandle(int folder);

// Whether `path` is `folder` or lies below it, on whole components.
bool PathWithin(const std::string& path, const std::string& folder);

} // namespace quilder
