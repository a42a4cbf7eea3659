#include "ProgramFolder.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace quilder {

QString ProgramFolder(const QString& executableFolder) {
    const QFileInfo folder(executableFolder);
    if (folder.isDir() && folder.isWritable()) return folder.absoluteFilePath();
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

} // namespace quilder
