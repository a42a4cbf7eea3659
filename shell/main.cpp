#include "CommandLine.h"
#include "InstanceCall.h"
#include "InstanceLock.h"
#include "ProgramFolder.h"
#include "frmPubMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QLockFile>
#include <cstdio>

int main(int argc, char** argv) {
    // --help and --version need no display, and no lock.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<QString> answer = quilder::CommandLineAnswer(arguments)) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return 0;
    }

    QCoreApplication::setApplicationName(QStringLiteral("quilder"));
    // Lets a Wayland desktop match the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.quilder"));
    // Before any window: a second instance on the same work store ends at once, after asking
    // the running one to show its window.
    const QString programFolder =
        quilder::ProgramFolder(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath());
    const QString lockPath = quilder::InstanceLockPath(programFolder);
    const QString socketPath = quilder::InstanceSocketPath(lockPath);
    QLockFile lock(lockPath);
    // A lock that cannot be taken for another reason (no temporary folder) does not stop us.
    if (!lock.tryLock(0) && lock.error() == QLockFile::LockFailedError) {
        QCoreApplication core(argc, argv); // the socket's needs; no display
        quilder::InstanceCall::AskToRaise(socketPath);
        return 0;
    }

    QApplication app(argc, argv);
    quilder::frmPubMain window(programFolder);
    const quilder::InstanceCall call(socketPath, [&window] {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
    });
    window.show();
    const int status = app.exec();
    window.ReleaseServices();
    return status;
}
