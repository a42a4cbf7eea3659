#pragma once

#include <functional>

namespace quilder {

// The one loop that reads a folder's entries, shared by every listing and removal. Calls `each`
// with every name but "." and ".." and the type the folder gives for it (DT_UNKNOWN when it
// gives none), from the first entry on. The handle stays open and is not moved. False when the
// folder cannot be read to its end.
bool ReadFolder(int folder, const std::function<void(const char* name, unsigned char type)>& each);

} // namespace quilder
