#include "DeleteCheckedFiles.h"
#include "FakeEngineHost.h"
#include "LoadResult.h"
#include "OpenCheckedItems.h"
#include "PathText.h"
#include "RecordingFileSystem.h"
#include "ResultCommands.h"
#include "ResultSet.h"
#include "RowPaths.h"
#include "TestActionHost.h"
#include "TestTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quilder::test {
namespace {

using Paths = std::vector<std::string>;

// The fixture is the window and the desktop: real files on disk, each with a row in the All
// list and one in its class list; the desktop records what is opened and does nothing else.
class ActionsTest : public ::testing::Test, public TestActionHost {
protected:
    ActionsTest() { status = QStringLiteral("Finished."); }
    void TearDown() override { ReleaseFileSystemService(); }
    static bool Exists(const std::string& p) { return QFile::exists(QString::fromStdString(p)); }

    Paths RowFiles(int list) const {
        Paths paths;
        for (int i = 0; i < results.List(list).RowCount(); ++i)
            paths.push_back(RowFilePath(results.List(list).Row(i)));
        return paths;
    }
    void DeleteAnsweringYes(int times = 1) {
        prompt.answers.insert(prompt.answers.end(), times, PromptAnswer::Yes);
        DeleteCommand(*this);
    }
    // Files written long ago: a rewrite now shows in their times.
    static void Age(const Paths& paths) {
        const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
        for (const std::string& path : paths)
            utimensat(AT_FDCWD, path.c_str(), past, AT_SYMLINK_NOFOLLOW);
    }

    TestTree tree;
};

TEST_F(ActionsTest, DeleteChangesNothingWhenThereIsNothingItMayDelete) {
    DeleteCommand(*this);
    OpenFilesCommand(*this);
    EXPECT_EQ(prompt.notices, (QStringList{kNoFileForDeleting, kNoFileForOpening}));
    const Paths group{tree.File("a", "same"), tree.File("b", "same")};
    const Paths other{tree.File("x", "xx"), tree.File("y", "xx")};
    AddGroup(7, "A", group);
    AddGroup(7, "B", other);
    DeleteAnsweringYes(); // nothing checked
    Tick(0, {group[1], other[1]});
    DeleteCommand(*this); // answered No
    EXPECT_EQ(prompt.questions, QStringList(2, kDeleteQuestion));
    ASSERT_TRUE(results.TryBeginLoad()); // a load's end would mark the result as saved
    DeleteAnsweringYes();
    results.EndLoad();
    EXPECT_EQ(LastNotice(), kLoadRunningNotice);

    // A file that cannot be deleted, or that is no regular file any more, keeps its rows and
    // its check; the notice names the first and says why.
    InstallRecordingFileSystem().undeletable = {"b"};
    ASSERT_EQ(unlink(other[1].c_str()), 0);
    tree.Folder("y");
    results.SetCurrentResultFile("saved.qdr");
    DeleteAnsweringYes();
    EXPECT_EQ(LastNotice(),
              "2 checked files could not be deleted; they keep their rows.\nThe first: '" +
                  PathToText(group[1]) + "': " + qt_error_string(EPERM) + ".");
    EXPECT_TRUE(Exists(group[0]) && Exists(group[1]));
    EXPECT_EQ(RowFiles(0), (Paths{group[0], group[1], other[0], other[1]}));
    EXPECT_EQ(RowFiles(7), RowFiles(0));
    EXPECT_TRUE(results.List(0).Row(1).checked && results.List(0).Row(3).checked);
    EXPECT_FALSE(results.ResultChanged());
}

TEST_F(ActionsTest, DeletedFilesLoseTheirRowAndItsTwinAndTheLastCopiesAreAskedFor) {
    Paths left; // so many scattered rows go that the lists are rebuilt rather than cut
    for (int g = 0; g < 140; ++g) {
        const std::string n = std::to_string(g);
        const Paths pair{tree.File("k" + n, n), tree.File("c" + n, n)};
        AddGroup(6, QString::asprintf("%03d", g), pair);
        Tick(0, {pair[1]});
        left.push_back(pair[0]);
    }
    const Paths b{tree.File("b1", "bbbb"), tree.File("b2", "bbbb")};
    const Paths all{tree.File("d1", "one"), tree.File("d2", "two")}; // every copy checked
    const Paths gone{tree.File("e1", "ee"), tree.Path("e2")};        // e2 vanished: loses its rows
    AddGroup(5, "B", b);
    AddGroup(6, "D", all);
    AddGroup(7, "E", gone);
    results.SetCurrentResultFile("saved.qdr");
    Tick(0, {all[0], all[1], gone[1]});
    const QString lastCopies = "Every file of 1 group is checked (6 B): it would lose every copy. "
                               "Delete them all the same?";
    DeleteCommand(*this); // No to the last copies: nothing else is asked, nothing deleted
    EXPECT_EQ(prompt.questions, QStringList{lastCopies});
    EXPECT_TRUE(Exists(all[0]) && Exists(tree.Path("c139")));
    DeleteAnsweringYes(2);
    EXPECT_EQ(prompt.questions, (QStringList{lastCopies, lastCopies, kDeleteQuestion}));
    EXPECT_FALSE(Exists(tree.Path("c139")) || Exists(all[0]) || Exists(all[1]));
    EXPECT_EQ(RowFiles(6), left);
    left.insert(left.end(), {b[0], b[1], gone[0]});
    EXPECT_EQ(RowFiles(0), left);
    EXPECT_EQ(RowFiles(5), b);
    EXPECT_EQ(RowFiles(7), Paths{gone[0]});
    EXPECT_TRUE(results.ResultChanged());

    // From a class list, after a find job: the All list loses the twin, ResultChanged stays.
    results.SetCurrentResultFile({});
    results.SetResultChanged(false);
    results.OptionClicked(5);
    Tick(5, {b[0]});
    DeleteAnsweringYes();
    EXPECT_FALSE(Exists(b[0]));
    left.erase(left.end() - 3);
    EXPECT_EQ(RowFiles(0), left);
    EXPECT_EQ(RowFiles(5), Paths{b[1]});
    EXPECT_FALSE(results.ResultChanged());
    EXPECT_EQ(results.StatusCountsText(), "1 files in 1 groups.");
}

TEST_F(ActionsTest, FileThatIsNoCopyOfOneThatStaysIsKept) {
    const std::string bytes = TestTree::Bytes(3 << 20, 7);
    std::string odd = bytes;
    odd[(3 << 20) - 5] ^= 1; // differs only past the first chunks
    const Paths a{tree.File("a", bytes), tree.File("copy", bytes), tree.File("odd", odd)};
    const Paths c{tree.File("c", "cc"), tree.Path("./c")};       // one file under two paths
    const Paths d{tree.File("d", "dd"), tree.Path("hard-link")}; // two entries of one file
    ASSERT_EQ(link(d[0].c_str(), d[1].c_str()), 0);
    AddGroup(3, "A", a);
    AddGroup(7, "C", c);
    AddGroup(7, "D", d);
    Tick(0, {a[1], a[2], c[0], d[1]});
    bool yielded = false;
    onYield = [&] {
        if (!std::exchange(yielded, true)) DeleteCommand(*this); // refused: files are compared
        EXPECT_TRUE(results.JobRunning() &&
                    status.startsWith("Checking '" + QString::fromStdString(tree.Root())));
    };
    DeleteAnsweringYes();
    EXPECT_FALSE(Exists(a[1]));
    EXPECT_TRUE(Exists(a[2]) && Exists(c[0]) && Exists(d[1]) && TestTree::Read(d[0]) == "dd");
    EXPECT_EQ(RowFiles(0), (Paths{a[0], a[2], c[0], c[1], d[0], d[1]}));
    EXPECT_EQ(RowFiles(3), (Paths{a[0], a[2]}));
    EXPECT_TRUE(results.List(0).Row(1).checked);
    ASSERT_EQ(prompt.notices.size(), 2);
    EXPECT_EQ(prompt.notices[0], kDeleteCheckingNotice);
    const QStringList reasons = prompt.notices[1].split("\n\n");
    ASSERT_EQ(reasons.size(), 3);
    // Each reason names its first file.
    const auto first = [](const std::string& path) {
        return "\nThe first: '" + QString::fromStdString(path) + "'.";
    };
    EXPECT_TRUE(reasons[0].startsWith("1 checked file was not deleted: its content differs") &&
                reasons[0].endsWith(first(a[2])));
    EXPECT_TRUE(reasons[1].endsWith("the other rows of its group that stay name the same file." +
                                    first(c[0])));
    EXPECT_TRUE(reasons[2].endsWith("(a hard link), so it would free no space." + first(d[1])));
    EXPECT_FALSE(results.JobRunning());
    EXPECT_EQ(status, "1 file deleted, 3.0 MB freed; 3 kept");
}

// One file under two spellings in two groups: ticked in one, it is no copy that stays for the
// other. A deleted file leaves no row under any spelling, in any list.
TEST_F(ActionsTest, CrossedRowsKeepBothAndNoSpellingOutlivesADeletedFile) {
    const Paths ab{tree.File("d/a", "same"), tree.File("d/b", "same"), tree.File("d/c", "same"),
                   tree.File("d/e", "same")};
    tree.Folder("d/sub");
    tree.Link("L", tree.Path("d"));
    AddGroup(7, "G1", {ab[0], tree.Path("d/./b")});
    AddGroup(7, "G2", {tree.Path("L/a"), tree.Path("/d/b")});
    AddGroup(7, "G3", {ab[2], ab[3]});
    AddGroup(5, "G4", {tree.Path("L/c"), tree.Path("d/sub/../c"), ab[3]});
    Tick(0, {ab[0], tree.Path("/d/b"), ab[2]});
    DeleteAnsweringYes();
    EXPECT_TRUE(Exists(ab[0]) && Exists(ab[1]) && Exists(ab[3]));
    EXPECT_FALSE(Exists(ab[2]));
    EXPECT_EQ(LastNotice().left(40), "2 checked files were not deleted: every ");
    EXPECT_EQ(RowFiles(0), (Paths{ab[0], tree.Path("d/./b"), tree.Path("L/a"), tree.Path("/d/b"),
                                  ab[3], ab[3]}));
    EXPECT_EQ(RowFiles(5), Paths{ab[3]});
}

// A result file read back puts a member whose size changed into another class: the group is
// still every row of its key in the All list, so ticking all that a class list shows keeps them.
TEST_F(ActionsTest, GroupSplitAcrossClassesIsCheckedWhole) {
    const Paths g{tree.File("a", "same"), tree.File("b", "same"), tree.File("c", "same")};
    QFile qdr(QString::fromStdString(tree.Path("r.qdr")));
    ASSERT_TRUE(qdr.open(QIODevice::WriteOnly));
    for (const std::string& path : g)
        qdr.write((path + "\tK\r\n").c_str());
    qdr.close();
    tree.File("c", std::string(2000, 'c'));
    FakeEngineHost engine;
    ASSERT_EQ(LoadResult(results, engine, qdr.fileName()).status, LoadOutcome::Status::Loaded);
    results.OptionClicked(7);
    Tick(7, {g[0], g[1]});
    DeleteAnsweringYes();
    EXPECT_EQ(prompt.questions, QStringList{kDeleteQuestion});
    EXPECT_TRUE(Exists(g[0]) && Exists(g[1]));
    EXPECT_TRUE(LastNotice().startsWith("2 checked files were not deleted: their"));
}

// Another program acts while the check yields: what is deleted is what was compared.
TEST_F(ActionsTest, FilesChangedDuringTheCheckAreKept) {
    const Paths a{tree.File("ta", "aaaa"), tree.File("ka", "aaaa")};
    const Paths b{tree.File("tb", "bbbb"), tree.File("kb", "bbbb")};
    const Paths c{tree.File("d1/c", "cccc"), tree.Path("d2/c"), tree.File("kc", "cccc")};
    tree.Folder("d2");
    ASSERT_EQ(link(c[0].c_str(), c[1].c_str()), 0); // the same state in another folder
    const std::string big = TestTree::Bytes(2 << 20, 3);
    const Paths z{tree.File("zbig", big), tree.File("zcopy", big)};
    Age({a[0], a[1], b[0], b[1]});
    tree.Link("L", tree.Path("d1"));
    AddGroup(7, "A", a);
    AddGroup(7, "B", b);
    AddGroup(7, "C", {tree.Path("L/c"), c[2]});
    AddGroup(3, "Z", z);
    Tick(0, {a[0], b[0], tree.Path("L/c"), z[0]});
    RecordingFileSystem& fs = InstallRecordingFileSystem();
    bool changed = false;
    onYield = [&] { // once the last file is being compared, the others have been
        for (const auto& [fd, name] : fs.openFiles)
            if (name == "zbig" && !std::exchange(changed, true)) {
                tree.File("ka", "AAAA");
                tree.File("tb", "BBBB");
                ASSERT_EQ(unlink(tree.Path("L").c_str()), 0);
                tree.Link("L", tree.Path("d2"));
            }
    };
    DeleteAnsweringYes();
    EXPECT_FALSE(Exists(z[0]));
    EXPECT_TRUE(Exists(a[0]) && Exists(b[0]) && Exists(c[0]) && Exists(c[1]));
    EXPECT_TRUE(LastNotice().startsWith("3 checked files were not deleted"));
}

// An editor that saves by renaming a new file over the old one, between the last look at a
// ticked file and its removal: the new file is never what is removed.
TEST_F(ActionsTest, FileRenamedOverATickedOneAtTheLastMomentIsKept) {
    const Paths g{tree.File("doc", "draft"), tree.File("copy", "draft")};
    AddGroup(7, "A", g);
    Tick(0, {g[0]});
    RecordingFileSystem& fs = InstallRecordingFileSystem();
    fs.beforeRemoval = [&](const std::string&) {
        const std::string saved = tree.File("doc.new", "final");
        ASSERT_EQ(rename(saved.c_str(), g[0].c_str()), 0);
    };
    DeleteAnsweringYes();
    EXPECT_EQ(TestTree::Read(g[0]), "final");
    EXPECT_EQ(QDir(QString::fromStdString(tree.Root())).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"copy", "doc"}));
    EXPECT_TRUE(LastNotice().startsWith("1 checked file was not deleted"));
    EXPECT_EQ(status, "0 files deleted, 0 B freed; 1 kept");

    fs.beforeRemoval = nullptr;
    results.List(0).SetChecked(0, false);
    AddGroup(7, "B", {tree.File("old", "final"), tree.File("older", "final")});
    Tick(0, {tree.Path("old")});
    DeleteAnsweringYes();
    EXPECT_FALSE(Exists(tree.Path("old")));
    EXPECT_EQ(status, "1 file deleted, 5 B freed");
}

// One file reached through a bind mount, an overlay of its folder, or an overlay that renumbers
// its inodes: none of these is a copy that stays for it.
TEST_F(ActionsTest, OneFileSeenThroughOtherMountsNeverStaysForItself) {
    if (geteuid() != 0) GTEST_SKIP() << "mounts need root";
    const Paths links{tree.File("a/f", "photo"), tree.Path("a/h")};
    ASSERT_EQ(link(links[0].c_str(), links[1].c_str()), 0);
    const std::string bound = tree.File("b/g", "");
    const std::string lower = tree.File("lower/p", "picture");
    for (const char* folder : {"merged", "upper", "work", "tmp", "merged2", "upper2", "work2"})
        tree.Folder(folder);
    BindMounts mounts;
    if (!mounts.Add(links[0], bound) ||
        !mounts.Mount("overlay", tree.Path("merged"), "overlay",
                      "lowerdir=" + tree.Path("lower") + ",upperdir=" + tree.Path("upper") +
                          ",workdir=" + tree.Path("work")) ||
        !mounts.Mount("tmpfs", tree.Path("tmp"), "tmpfs", ""))
        GTEST_SKIP() << "mounts refused: " << strerror(errno);
    const std::string other = tree.File("tmp/q", "quilt");
    if (!mounts.Mount("overlay", tree.Path("merged2"), "overlay",
                      "xino=on,lowerdir=" + tree.Path("tmp") + ",upperdir=" + tree.Path("upper2") +
                          ",workdir=" + tree.Path("work2")))
        GTEST_SKIP() << "overlay refused: " << strerror(errno);
    AddGroup(7, "A", {links[0], links[1], bound});
    AddGroup(7, "B", {lower, tree.Path("merged/p")});
    AddGroup(7, "C", {other, tree.Path("merged2/q")});
    Tick(0, {links[0], links[1], lower, other});
    DeleteAnsweringYes();
    EXPECT_EQ(TestTree::Read(bound) + TestTree::Read(lower) + TestTree::Read(other),
              "photopicturequilt");
    EXPECT_TRUE(Exists(links[0]) && Exists(links[1]));
    const QStringList reasons = LastNotice().split("\n\n");
    ASSERT_EQ(reasons.size(), 3) << LastNotice().toStdString();
    EXPECT_TRUE(reasons[0].contains("name the same file.\nThe first: '"));
    EXPECT_TRUE(reasons[1].startsWith("2 checked files were not deleted") &&
                reasons[1].contains("(a hard link)"));
    EXPECT_TRUE(reasons[2].contains("overlay, FUSE or network mount"));
}

TEST_F(ActionsTest, OpensCheckedRowsInRowOrderAndTheirFolderOncePerRow) {
    const Paths g{tree.File("g/a", "x"), tree.File("g/b", "x"), tree.File("g/c", "x")};
    AddGroup(7, "A", g);
    Tick(7, {g[2], g[0]});
    Tick(0, {g[1]}); // checked in a list that is not shown
    results.OptionClicked(7);
    OpenFilesCommand(*this);
    OpenFoldersCommand(*this);
    const QString folder = QString::fromStdString(tree.Path("g"));
    EXPECT_EQ(kit.calls, (QStringList{"OpenItem|" + folder + "/a|3", "OpenItem|" + folder + "/c|3",
                                      "OpenItem|" + folder + "|3", "OpenItem|" + folder + "|3"}));
    // A desktop that cannot open them says so once per command, naming the first refused.
    kit.refused = {folder + "/c", folder};
    OpenFilesCommand(*this);
    OpenFoldersCommand(*this);
    EXPECT_EQ(prompt.notices, (QStringList{"The desktop could not open " + folder + "/c.",
                                           "The desktop could not open " + folder +
                                               ".\n1 more could not be opened either."}));
}

} // namespace
} // namespace quilder::test
