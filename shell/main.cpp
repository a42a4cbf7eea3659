#include "InstanceLock.h"
#include "ProgramFolder.h"
#include "frmPubMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QLockFile>

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("quilder"));
    // Lets a Wayland desktop match the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.quilder"));
    // Before any window: a second instance on the same work store ends at once, silently.
    const QString programFolder =
        quilder::ProgramFolder(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath());
    QLockFile lock(quilder::InstanceLockPath(programFolder));
    // A lock that cannot be taken for another reason (no temporary folder) does not stop us.
    if (!lock.tryLock(0) && lock.error() == QLockFile::LockFailedError) return 0;

    QApplication app(argc, argv);
    quilder::frmPubMain window(programFolder);
    window.show();
    const int status = app.exec();
    window.ReleaseServices();
    return status;
}
