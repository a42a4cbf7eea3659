#include "CommandController.h"
#include "CommandRouter.h"
#include "FileSystem.h"
#include "FolderTree.h"
#include "HelpWindow.h"
#include "MenuHelp.h"
#include "MenuTable.h"
#include "ScriptedPrompt.h"
#include "TestTree.h"
#include "frmPubAbout.h"
#include "frmPubMain.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

namespace quilder::test {
namespace {

class WindowCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    TestTree tree;
    frmPubMain window{QString::fromStdString(tree.Folder("program"))};
};

TEST_F(WindowCommandsTest, EveryMenuItemKeyAndToolbarCaptionReachesItsHandler) {
    // Every command of the menus has a handler of the window's own.
    for (const MenuItemInfo& item : kMenuItems) {
        if (item.command) {
            EXPECT_TRUE(window.Controller().Router().Handles(*item.command)) << item.name;
        }
    }

    // Command, key, toolbar caption.
    // clang-format off
    const std::tuple<Command, const char*, const char*> routes[] = {
        {Command::NewJob, "Ctrl+N", "New"}, {Command::OpenResultFile, "Ctrl+O", "Open"},
        {Command::SaveResult, "Ctrl+S", "Save"}, {Command::SaveResultAs, "", ""},
        {Command::Exit, "", ""}, {Command::FindDuplicateFiles, "F3", "Find"},
        {Command::StopCurrentJob, "F6", "Stop"}, {Command::DeleteFiles, "Del", "Delete"},
        {Command::OpenRunFiles, "F5", "Open/Run"}, {Command::OpenFolders, "F7", ""},
        {Command::HelpTopics, "F1", ""}, {Command::TechnologyForum, "", ""},
        {Command::WebPage, "", ""}, {Command::ContactSupport, "", ""},
        {Command::CheckLatestVersion, "", ""}, {Command::About, "", ""}};
    // clang-format on
    std::vector<Command> ran;
    CommandRouter& router = window.Controller().Router();
    for (const auto& route : routes)
        router.Handle(std::get<0>(route), [&ran, &route] { ran.push_back(std::get<0>(route)); });
    window.Tree().setFocus(); // keys work whichever control has the focus
    for (const auto& [command, key, caption] : routes) {
        window.Action(command).trigger();
        if (*key) QTest::keySequence(&window.Tree(), QKeySequence(key));
        for (QAction* button : window.Toolbar().actions())
            if (button->text() == caption)
                QTest::mouseClick(window.Toolbar().widgetForAction(button), Qt::LeftButton);
        EXPECT_EQ(ran, std::vector<Command>(1 + (*key ? 1 : 0) + (*caption ? 1 : 0), command));
        ran.clear();
    }
    router.ToolbarClicked("new");
    EXPECT_TRUE(ran.empty());

    // The folder tree's pop-up reaches the protected folders of the result set.
    QTreeWidgetItem* drive = window.Tree().Node(1);
    ASSERT_TRUE(drive);
    window.Tree().NodeMenu(drive).actions().value(0)->trigger();
    EXPECT_TRUE(window.Results().Protected().IsProtected(FolderTree::Key(drive)));
}

// Each menu as the window builds it starts with the standard items (name, caption with its
// mnemonic, key; "-" a separator), in order; the commands added after them are named by their
// position, take no key of another item, and each has a help text.
TEST_F(WindowCommandsTest, EachMenuStartsWithTheStandardItemsAndOnlyAdditionsFollow) {
    const std::vector<std::vector<QString>> standard = {
        {"men0000 &New Job Ctrl+N", "men0001 &Open Result File... Ctrl+O", "men0002 -",
         "men0003 &Save Result Ctrl+S", "men0004 Save Result &As...", "men0005 -", "men0006 E&xit"},
        {"men0100 &Find Duplicate Files F3", "men0101 &Stop Current Job F6", "men0102 -",
         "men0103 &Delete Files Del", "men0104 &Open/Run Files F5", "men0105 O&pen Folders F7"},
        {"men0200 &Help Topics F1", "men0201 -", "men0202 QDR &Technology Forum",
         "men0203 QDR &Web Page", "men0204 &Contact QDR Support", "men0205 -",
         "men0206 Check The &Latest Version", "men0207 -", "men0211 &About Quilder..."}};
    const QStringList menuNames{"men00", "men01", "men02"};
    QStringList titles, keys;
    for (QAction* menu : window.menuBar()->actions())
        titles << menu->objectName() + " " + menu->text();
    EXPECT_EQ(titles, (QStringList{"men00 &File", "men01 &Action", "men02 &Help"}));
    for (int m = 0; m < 3; ++m) {
        const QList<QAction*> items = window.menuBar()->findChild<QMenu*>(menuNames[m])->actions();
        std::vector<QString> built;
        for (QAction* item : items) {
            const QString key = item->shortcut().toString();
            built.push_back(
                QStringList{item->objectName(), item->isSeparator() ? "-" : item->text(), key}
                    .join(' ')
                    .trimmed());
            if (!key.isEmpty()) {
                EXPECT_FALSE(keys.contains(key)) << key.toStdString();
                keys << key;
            }
            EXPECT_TRUE(item->isSeparator() || MenuHelpText(item->text()))
                << item->text().toStdString();
        }
        const std::size_t count = standard[m].size();
        ASSERT_GE(built.size(), count);
        EXPECT_EQ(std::vector<QString>(built.begin(), built.begin() + count), standard[m]);
        for (std::size_t i = count; i < built.size(); ++i)
            EXPECT_TRUE(
                built[i].startsWith(menuNames[m] + QString("%1 ").arg(i, 2, 10, QChar('0'))))
                << built[i].toStdString();
    }
}

TEST_F(WindowCommandsTest, MenuHelpThenShutDownClosesHelpAndAbout) {
    QMenu& file = *window.menuBar()->findChild<QMenu*>("men00");
    QAction tabbed("&Save Result\tCtrl+S");
    Q_EMIT file.hovered(&tabbed);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Saves result listing to file <Ctrl + S>."));
    Q_EMIT file.hovered(&window.Action(Command::SaveResultAs));
    for (QAction* nothing : {file.menuAction(), window.MenuItems()[2]})
        Q_EMIT window.menuBar()->hovered(nothing), Q_EMIT file.hovered(nothing);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Saves result listing to a new file."));

    for (int i = 0; i < 2; ++i)
        window.Action(Command::HelpTopics).trigger(), window.Action(Command::About).trigger();
    QList<QPointer<QWidget>> opened;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && (qobject_cast<HelpWindow*>(top) || qobject_cast<frmPubAbout*>(top)))
            opened << top;
    EXPECT_EQ(opened.size(), 2);
    // The guide's pictures are built in beside it: found wherever the program runs from.
    QFile guide(":/help/quilder-help.html");
    ASSERT_TRUE(guide.open(QIODevice::ReadOnly));
    int pictures = 0, found = 0;
    for (const auto& img : QRegularExpression("<img src=\"([^\"]+)\"")
                               .globalMatch(QString::fromUtf8(guide.readAll())))
        ++pictures, found += QFile::exists(":/help/" + img.captured(1));
    EXPECT_EQ(found, pictures);
    EXPECT_GE(pictures, 5);
    window.close();
    window.ReleaseServices();
    Q_EMIT file.hovered(&window.Action(Command::NewJob)); // no menu help after shut-down
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Saves result listing to a new file."));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<QWidget>& top : opened)
        EXPECT_TRUE(top.isNull() || !top->isVisible());
}

TEST_F(WindowCommandsTest, FindListsTheGroupsAndClosingDuringAJobUnwindsCleanly) {
    tree.File("data/a/one", "same");
    tree.File("data/b/one", "same");
    FileSystemService().ReplaceDrives({{tree.Path("data"), QStringLiteral("data")}});
    window.Tree().FillFolderTree();
    QTreeWidgetItem* drive = window.Tree().FindNode(QString::fromStdString(tree.Path("data")));
    ASSERT_TRUE(drive);
    drive->setCheckState(0, Qt::Checked);
    auto owned = std::make_unique<ScriptedPrompt>();
    ScriptedPrompt& prompt = *owned;
    window.SetPrompt(std::move(owned));
    QTest::keyClick(&window, Qt::Key_F3);
    EXPECT_EQ(window.StatusPanel(1).text(), "Finished.");
    EXPECT_EQ(window.StatusPanel(2).text(), "2 files in 1 groups.");

    QTimer::singleShot(0, &window, [this] { window.close(); });
    window.Action(Command::FindDuplicateFiles)
        .trigger(); // the question to save comes first: answered No
    EXPECT_FALSE(window.isVisible());
    EXPECT_NE(window.StatusPanel(1).text(), "Finished."); // ended at its first check point
    EXPECT_FALSE(window.Results().JobRunning());
    EXPECT_EQ(window.timLoader().interval(), 0);
    EXPECT_EQ(prompt.questions.size(), 1);
}

} // namespace
} // namespace quilder::test
