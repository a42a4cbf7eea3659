#include "ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quilder {

QString ProgramFolder(const QString& executableFolder) {
    const QFileInfo folder(executableFolder);
    // A `bin` folder is where programs are installed (/usr/bin, /usr/local/bin, ~/.local/bin),
    // and root may write there: a store never goes among the system's programs.
    if (folder.isDir() && folder.isWritable() && folder.fileName() != QLatin1String("bin"))
        return folder.absoluteFilePath();
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    // A new user has none yet, and the first find job builds its store inside it.
    QDir().mkpath(data);
    return data;
}

} // namespace quilder
