#include "FileSystem.h"

#include "PathText.h"

#include <QStorageInfo>

namespace quilder {

namespace {

bool IsNetworkFileSystem(const QByteArray& type) {
    static const char* const kNetwork[] = {"nfs",   "nfs4",        "cifs",        "smb3", "smbfs",
                                           "9p",    "fuse.sshfs",  "fuse.rclone", "afs",  "ncpfs",
                                           "davfs", "fuse.davfs2", "glusterfs",   "ceph"};
    for (const char* t : kNetwork)
        if (type == t) return true;
    return false;
}

} // namespace

std::vector<Drive> FileSystem::Drives() {
    if (replacedDrives_) return *replacedDrives_;
    std::vector<Drive> drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady()) continue;
        Drive drive;
        drive.key = TextToPath(volume.rootPath());
        QString label = IsNetworkFileSystem(volume.fileSystemType())
                            ? PathToText(volume.device().toStdString())
                            : volume.name();
        drive.caption = label.isEmpty() ? volume.rootPath()
                                        : label + QStringLiteral(" (") + volume.rootPath() +
                                              QStringLiteral(")");
        drives.push_back(std::move(drive));
    }
    return drives;
}

void FileSystem::ReplaceDrives(std::vector<Drive> drives) {
    replacedDrives_ = std::move(drives);
}

} // namespace quilder
