#include "HelpWindow.h"

#include "DesktopKit.h"

#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QUrl>

// Resources of a static library must be registered by name, outside any namespace.
static void RegisterHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace quilder {

namespace {
const QString kHelpDocument = QStringLiteral(":/help/quilder-help.html");
}

HelpWindow::HelpWindow(QWidget* parent) : QTextBrowser(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    // Closing the main window ends the program, which then closes this one.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(kHelpWindowTitle);
    setObjectName(QStringLiteral("HelpWindow"));
    // Links inside the guide only: nothing in it may hand anything to the desktop.
    setOpenExternalLinks(false);
    setSource(QUrl(QStringLiteral("qrc") + kHelpDocument));
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QTextBrowser::keyPressEvent(event);
}

void HelpTopics(DesktopKit& kit) {
    if (kit.FindTitledWindow(kHelpWindowTitle) >= 1) return;
    RegisterHelpResources();
    if (!QFile::exists(kHelpDocument)) return;
    auto* window = new HelpWindow;
    // The screen's size also where no window manager maximises.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->setGeometry(screen->availableGeometry());
    window->showMaximized();
}

void CloseHelpViewer(DesktopKit& kit) {
    if (kit.FindTitledWindow(kHelpWindowTitle) <= 1) return;
    kit.SendWindowMessage(kit.FindTitledWindow(kHelpWindowTitle), DesktopKit::kCloseMessage, 0, 0);
}

} // namespace quilder
