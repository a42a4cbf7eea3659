#include "FileIdentity.h"

#include <sys/vfs.h>

namespace quilder {

namespace {

// f_type values of file systems that present files kept elsewhere (linux/magic.h and the
// network file systems' own headers).
constexpr unsigned long kStackedTypes[] = {
    0x794c7630, // overlayfs
    0x65735546, // FUSE
    0x6969,     // NFS
    0xff534d42, // CIFS
    0xfe534d42, // SMB2
    0x517b,     // SMB
    0x01021997, // 9p
    0x00c36400, // Ceph
    0x5346414f, // AFS
    0x61756673, // aufs
};

} // namespace

bool MaybeSameFile(const EntryState& a, const EntryState& b) {
    if (a.SameFile(b)) return true;
    return a.inode == b.inode && a.size == b.size && a.modifiedNs == b.modifiedNs &&
           a.changedNs == b.changedNs;
}

bool OnStackedFileSystem(int folder) {
    struct statfs st {};
    if (fstatfs(folder, &st) != 0) return true; // what cannot be told is not trusted
    for (const unsigned long type : kStackedTypes)
        if (static_cast<unsigned long>(st.f_type) == type) return true;
    return false;
}

} // namespace quilder
