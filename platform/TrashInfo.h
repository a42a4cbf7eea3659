#pragma once

#include <ctime>
#include <string>

namespace quilder {

// Escapes path bytes for the Path= key of a .trashinfo file (RFC 2396): unreserved characters
// and '/' stay, every other byte becomes %XX, so any name, valid UTF-8 or not, survives.
std::string PercentEncodePath(const std::string& path);

// The whole text of a .trashinfo file for `path` (absolute in the home trash, relative to the
// drive's top in a drive's trash), deleted at `when` (local time, no zone).
std::string TrashInfoText(const std::string& path, std::time_t when);

} // namespace quilder
