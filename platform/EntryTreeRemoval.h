#pragma once

#include <atomic>
#include <string>

namespace quilder {

// Removes whatever the entry of the open folder is (a folder with everything in it), following
// no link; true when it is gone. It never leaves the open folder's file system: a mount point
// (file or folder), or a folder on another device, is left in place with all it holds, and the
// first such path, below `folder`, is handed back in `leftMount`. Touches no shared state: safe
// on any thread. Once `stop` is set it gives up, leaving what it has not reached yet.
bool RemoveEntryTreeAt(int folder, const std::string& name, const std::atomic<bool>* stop = nullptr,
                       std::string* leftMount = nullptr);

} // namespace quilder
