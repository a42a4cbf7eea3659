#pragma once

#include "FileRecords.h"

#include <cstdint>
#include <string>

namespace quilder {

// A sub-folder is not entered when it is the root of a mount. Where the system cannot tell, a
// change of device stands for one; a btrfs sub-volume (another device, same mount) is entered.
bool IsMountPoint(const EntryStatus& entry, std::uint64_t parentDevice);
// The same for an entry of an open folder, file or folder, without following a link; false
// when the entry cannot be looked at. A file that is a mount's root is never listed, and must
// never be deleted as a copy: it is its source under another path.
bool IsMountRootAt(int folder, const std::string& name);

} // namespace quilder
