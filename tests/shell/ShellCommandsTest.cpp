#include "HelpWindow.h"
#include "MenuHelp.h"
#include "QtDesktopKit.h"
#include "ResultCommands.h"
#include "WebAddresses.h"

#include <QApplication>
#include <QMenuBar>
#include <QPointer>
#include <gtest/gtest.h>

namespace quilder::test {
namespace {

TEST(DesktopKitTest, DialogFiltersSuffixAndAddressesThatAreNoWebOrMailAddress) {
    EXPECT_EQ(NameFiltersOf(ResultFileFilter()), // "*.*" also for names without a dot
              (QStringList{"QDR Result Files (*.qdr)", "All Files (*)"}));
    EXPECT_EQ(WithDefaultSuffix("/a.d/result", "qdr"), QStringLiteral("/a.d/result.qdr"));
    EXPECT_EQ(WithDefaultSuffix("/a/result.txt", "qdr"), QStringLiteral("/a/result.txt"));
    QtDesktopKit kit;
    EXPECT_FALSE(kit.OpenAddress("file:///bin/true", 3));
    EXPECT_FALSE(kit.OpenAddress("/bin/true", 3));
}

TEST(DesktopKitTest, VersionCheckAddressCarriesTheVersionAndProduct) {
    const QString check = WebAddress(WebItem::VersionCheck);
    EXPECT_TRUE(check.startsWith("https://quilder.example.org/")) << check.toStdString();
    EXPECT_TRUE(check.contains("ver=1.00%20Build%2020070405") && check.contains("prod=QDR"));
}

TEST(MenuHelpTest, HighlightedItemsShowTheirHelpUntilRemoved) {
    QWidget window;
    QMenuBar bar(&window);
    QMenu* file = bar.addMenu("&File");
    QAction* save = file->addAction("&Save Result\tCtrl+S");
    QAction* saveAs = file->addAction("Save Result &As...");
    QAction* separator = file->addSeparator();
    QAction* unknown = file->addAction("Save Result");
    MenuHelp help(window);
    help.Install(bar);
    Q_EMIT file->hovered(save);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Saves result listing to file <Ctrl + S>."));
    Q_EMIT file->hovered(saveAs);
    for (QAction* nothing : {file->menuAction(), separator, unknown}) {
        Q_EMIT bar.hovered(nothing);
        Q_EMIT file->hovered(nothing);
    }
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Saves result listing to a new file."));
    help.Remove();
    Q_EMIT file->hovered(save);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Saves result listing to a new file."));
}

TEST(HelpWindowTest, HelpTopicsTwiceGivesOneMaximisedGuideThatShutDownCloses) {
    QtDesktopKit kit;
    HelpTopics(kit);
    HelpTopics(kit);
    QList<QPointer<HelpWindow>> shown;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* help = qobject_cast<HelpWindow*>(window); help && help->isVisible())
            shown << help;
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0]->windowTitle(), QStringLiteral("QDR Help"));
    EXPECT_TRUE(shown[0]->windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(shown[0]->toPlainText().contains("Very Large"));
    CloseHelpViewer(kit);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(shown[0].isNull());
}

} // namespace
} // namespace quilder::test
