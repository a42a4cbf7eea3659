#include "MountPoints.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace quilder {

bool IsMountPoint(const EntryStatus& entry, std::uint64_t parentDevice) {
    if (entry.mountRootKnown) return entry.mountRoot;
    return entry.id.device != parentDevice;
}

bool IsMountRootAt(int folder, const std::string& name) {
    struct statx st {};
    if (statx(folder, name.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_INO, &st) != 0)
        return false;
    if (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
        return (st.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    struct stat self {};
    return fstat(folder, &self) == 0 && makedev(st.stx_dev_major, st.stx_dev_minor) != self.st_dev;
}

} // namespace quilder
