#include "AboutAddresses.h"
#include "ClassSelector.h"
#include "CommandController.h"
#include "CommandLine.h"
#include "DesktopKit.h"
#include "FolderTree.h"
#include "FormLayout.h"
#include "HelpWindow.h"
#include "InstanceCall.h"
#include "InstanceLock.h"
#include "MenuTable.h"
#include "ProgramFolder.h"
#include "RecordingDesktopKit.h"
#include "ResultFrame.h"
#include "ResultListView.h"
#include "ScriptedPrompt.h"
#include "WebAddresses.h"
#include "frmPubMain.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLockFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QRadioButton>
#include <QSizeGrip>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace quilder {
namespace {

TEST(MainWindowTest, StartsInTheDesignStateWithoutTouchingTheDisk) {
    QTemporaryDir programFolder;
    frmPubMain window(programFolder.path());
    for (int box = 0; box < 8; ++box)
        EXPECT_TRUE(window.Selector().Box(box).isChecked() &&
                    window.Selector().Box(box).isEnabled() == (box == 0));
    EXPECT_TRUE(window.ResultsFrame().Option(0).isChecked());
    EXPECT_FALSE(window.tim().isActive() || window.timLoader().isActive());
    // A position past the count reads as an unchecked node without children.
    const CommandController& host = window.Controller();
    EXPECT_FALSE(host.NodeChecked(host.NodeCount() + 1) ||
                 host.NodeChildCount(host.NodeCount() + 1) != 0);

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(window.ResultsFrame().List(i).isVisibleTo(&window), i == 0);
        // Hidden lists are laid out like the visible one.
        EXPECT_EQ(window.ResultsFrame().List(i).size(), window.ResultsFrame().List(0).size());
    }
    // The lists fill their frame but for the margins.
    EXPECT_GT(window.ResultsFrame().List(0).width(), window.ResultsFrame().width() * 9 / 10);
    EXPECT_TRUE(QDir(programFolder.path()).isEmpty());
}

TEST(MainWindowTest, MadeTinyItKeepsEveryControlUsableAndEveryControlHasAName) {
    QTemporaryDir programFolder;
    frmPubMain window(programFolder.path());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.resize(300, 200);
    const FolderTree& tree = window.Tree();
    const auto right = [&](const QWidget& w) { return w.mapTo(&window, QPoint(w.width(), 0)).x(); };
    // Room for a few folders, every view option inside its frame, the status panels apart.
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return tree.viewport()->height() >= 4 * tree.sizeHintForRow(0) &&
               right(*window.ResultsFrame().Option(7).parentWidget()) <=
                   right(window.ResultsFrame()) &&
               right(window.StatusPanel(1)) <= window.StatusPanel(2).mapTo(&window, QPoint()).x() &&
               right(window.StatusPanel(3)) <= window.width();
    })) << window.width()
        << "x" << window.height();
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractButton*>(control) || qobject_cast<QSizeGrip*>(control) ||
            qobject_cast<QTreeView*>(control)) {
            EXPECT_NE(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name), "")
                << control->objectName().toStdString();
        }
    }
}

// A job's per-list texts reach the panel (and a screen reader) a few times a second, the latest
// one last; a text of another kind shows at once.
TEST(MainWindowTest, StatusTextsOfOnePhaseAreThinnedAndTheLatestWins) {
    QTemporaryDir programFolder;
    frmPubMain window(programFolder.path());
    QLabel& panel = window.StatusPanel(1);
    int changes = 0;
    QElapsedTimer clock;
    clock.start();
    window.Controller().SetStatusText(QStringLiteral("Comparing '/a/0'"));
    for (int i = 1; i <= 500; ++i) {
        const QString before = panel.text();
        window.Controller().SetStatusText(QStringLiteral("Comparing '/a/%1'").arg(i));
        changes += panel.text() != before;
    }
    EXPECT_LE(changes, clock.elapsed() / 200);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return panel.text() == QStringLiteral("Comparing '/a/500'"); }));
    window.Controller().SetStatusText(QStringLiteral("Comparing '/a/501'"));
    window.Controller().SetStatusText(QStringLiteral("Finished."));
    EXPECT_EQ(panel.text(), QStringLiteral("Finished."));
}

TEST(FormResizeTest, LaysOutInTwipsWidensOnlyThePathColumnAndKeepsSizesWhenMinimised) {
    WindowLayout layout;
    layout.tree = {90, 3120, 3015, 0};
    layout.lists.fill({90, 555, 0, 0});
    layout.columns.fill({2000, 2500, 950, 1300, 1730});
    const auto expectRect = [](const TwipsRect& r, float left, float top, float w, float h) {
        EXPECT_TRUE(r.left == left && r.top == top && r.width == w && r.height == h)
            << r.left << " " << r.top << " " << r.width << " " << r.height;
    };
    FormResize({9660, 6690, 0, 555, 375}, layout);
    expectRect(layout.frames[0], 90, 645, 3195, 5580);
    expectRect(layout.frames[1], 3375, 645, 6195, 5580);
    EXPECT_EQ(layout.tree.height, 2370);
    for (std::size_t i = 0; i < 8; ++i) {
        expectRect(layout.lists[i], 90, 555, 6015, 4935);
        EXPECT_EQ(layout.columns[i][1], 2500);
    }
    FormResize({15360, 6690, 0, 555, 375}, layout);
    EXPECT_EQ(layout.lists[7].width, 11715);
    EXPECT_EQ(layout.columns[7][1], 5335);
    FormResize({9660, 6690, 0, 555, 375}, layout);
    EXPECT_EQ(layout.lists[7].width, 6015);
    EXPECT_EQ(layout.columns[7][1], 5335);
    // Minimised: nothing would fit, so every control keeps its size.
    FormResize({0, 0, 0, 555, 375}, layout);
    expectRect(layout.frames[1], 3375, 645, 6195, 5580);
    expectRect(layout.lists[3], 90, 555, 6015, 4935);
}

TEST(AboutBoxTest, OneModelessBoxWithFixedSizeLinksAndEsc) {
    QTemporaryDir programFolder;
    frmPubMain window(programFolder.path());
    test::RecordingDesktopKit kit;
    window.SetDesktopKit([&kit] { return &kit; });
    window.Action(Command::About).trigger();
    QPointer<frmPubAbout> about = window.About();
    window.Action(Command::About).trigger();
    ASSERT_TRUE(about && about == window.About() && !about->isModal());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
    about->resize(about->FittedSize() * 2);
    EXPECT_EQ(about->size(), about->FittedSize());

    about->findChild<QPushButton*>(QStringLiteral("sbtWeb"))->click();
    QTest::mouseClick(about->findChild<QWidget*>(QStringLiteral("imgCompLogo")), Qt::LeftButton);
    about->findChild<QPushButton*>(QStringLiteral("sbtMailer"))->click();
    const QString opened = QStringLiteral("OpenAddress|%1|3");
    EXPECT_EQ(kit.calls, QStringList({opened.arg(kMakerHomeAddress), opened.arg(kMakerHomeAddress),
                                      opened.arg(kSupportMailAddress)}));

    QTest::keyClick(about, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return about.isNull(); }));
}

TEST(ProgramFolderTest, AnInstalledProgramKeepsItsStoreInTheUsersDataFolderEvenForRoot) {
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath("bin") && QDir(root.path()).mkpath("portable"));
    const QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(root.path() + "/data"));
    EXPECT_EQ(ProgramFolder(root.path() + "/portable"), root.path() + "/portable");
    const QString data = root.path() + "/data/" + QCoreApplication::applicationName();
    EXPECT_EQ(ProgramFolder(root.path() + "/missing"), data);
    // Tests run as root, for whom a system `bin` folder is writable too.
    EXPECT_EQ(ProgramFolder(root.path() + "/bin"), data);
    EXPECT_TRUE(QFileInfo(data).isDir() && QDir(data).isEmpty());
    EXPECT_TRUE(QDir(root.path() + "/bin").isEmpty());
    qputenv("XDG_DATA_HOME", savedDataHome);
}

TEST(SingleInstanceTest, ASecondStartEndsAtOnceAndTheFirstRunsOn) {
    const QString executable = QStringLiteral(QUILDER_EXECUTABLE);
    const QString lockPath = InstanceLockPath(QFileInfo(executable).absolutePath());
    {
        // Also clears a lock file left by a killed run.
        QLockFile probe(lockPath);
        if (!probe.tryLock(0)) GTEST_SKIP() << "a Quilder runs from this build already";
    }
    QProcess first;
    first.start(executable, {});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(lockPath); }, 10000));
    QProcess second;
    second.start(executable, {});
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_TRUE(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();
}

TEST(SingleInstanceTest, ASecondStartAsksTheRunningOneToRaiseItsWindowAndNeverWaitsForIt) {
    const QString executable = QStringLiteral(QUILDER_EXECUTABLE);
    const QString lockPath = InstanceLockPath(QFileInfo(executable).absolutePath());
    // This test plays the running program: it holds the lock and listens.
    QLockFile held(lockPath);
    if (!held.tryLock(0)) GTEST_SKIP() << "a Quilder runs from this build already";
    int raised = 0;
    const auto secondStart = [&] {
        QProcess second;
        second.start(executable, {});
        return second.waitForFinished(5000) && second.exitStatus() == QProcess::NormalExit &&
               second.exitCode() == 0;
    };
    {
        const InstanceCall call(InstanceSocketPath(lockPath), [&raised] { ++raised; });
        ASSERT_TRUE(call.Listening());
        EXPECT_TRUE(secondStart());
        EXPECT_TRUE(QTest::qWaitFor([&] { return raised == 1; }, 5000));
    }
    // Nobody listens: the second start still ends at once.
    EXPECT_TRUE(secondStart());
    EXPECT_EQ(raised, 1);
}

TEST(CommandLineTest, HelpAndVersionPrintWithoutADisplayAndOtherArgumentsAreIgnored) {
    const auto run = [](const QString& argument) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // A window would abort on this platform.
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-display"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(QUILDER_EXECUTABLE), {argument});
        const bool ended = program.waitForFinished(5000) && program.exitCode() == 0;
        return ended ? QString::fromLocal8Bit(program.readAllStandardOutput()) : QString();
    };
    EXPECT_TRUE(run(QStringLiteral("--help")).startsWith(QLatin1String("Usage: quilder")));
    const QString version = run(QStringLiteral("--version"));
    EXPECT_TRUE(version.startsWith(QLatin1String("quilder ")) &&
                version.contains(QLatin1String(kVersionText.data(),
                                               static_cast<qsizetype>(kVersionText.size()))))
        << version.toStdString();
    EXPECT_FALSE(CommandLineAnswer({QStringLiteral("--frobnicate")}));
}

TEST(WebItemTest, TheVersionCheckAddressIsAValidUrlAndAnAddressNoProgramTookIsTold) {
    const QString address = WebAddress(WebItem::VersionCheck);
    const QUrl url(address, QUrl::StrictMode);
    EXPECT_TRUE(url.isValid() && !address.contains(QLatin1Char(' '))) << address.toStdString();
    EXPECT_EQ(QUrlQuery(url).queryItemValue(QStringLiteral("ver"), QUrl::FullyDecoded),
              QStringLiteral("1.00 Build 20070405"));
    EXPECT_EQ(QUrlQuery(url).queryItemValue(QStringLiteral("prod")), QStringLiteral("QDR"));

    test::RecordingDesktopKit kit;
    test::ScriptedPrompt prompt;
    OpenWebItem(WebItem::Forum, kit, prompt);
    EXPECT_TRUE(prompt.notices.isEmpty());
    kit.refused << address;
    OpenWebItem(WebItem::VersionCheck, kit, prompt);
    EXPECT_EQ(prompt.notices, QStringList{kNoBrowserNotice.arg(address)});
}

TEST(HelpWindowTest, EscClosesIt) {
    QPointer<HelpWindow> help = new HelpWindow;
    help->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    QTest::keyClick(help, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return help.isNull(); }));
}

} // namespace
} // namespace quilder
