#pragma once

#include "EntryState.h"

namespace quilder {

// One file seen through two mounts: a bind mount shows it under the same device and inode, an
// overlay, a FUSE pass-through or a share mounted twice under another device with the same
// inode number. Across devices the inode number, size and both times to the nanosecond must all
// agree; two distinct files almost never do.
bool MaybeSameFile(const EntryState& a, const EntryState& b);

// Whether an open folder lies on a file system that shows files of another one (overlay, FUSE,
// network shares): a file there may be one of our own drives' files seen from above, with
// nothing in its identity to tell.
bool OnStackedFileSystem(int folder);

} // namespace quilder
