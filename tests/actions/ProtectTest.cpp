#include "DeleteCheckedFiles.h"
#include "FakeEngineHost.h"
#include "LoadResult.h"
#include "RecordingFileSystem.h"
#include "RowPaths.h"
#include "TestActionHost.h"
#include "TestTree.h"
#include "TickHelpers.h"

#include <QFile>
#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

namespace quilder::test {
namespace {

using Paths = std::vector<std::string>;

// Files in a protected folder, named by rows as the lists or a result file may name them.
class ProtectTest : public ::testing::Test, public TestActionHost {
protected:
    void TearDown() override { ReleaseFileSystemService(); }

    bool Ticked(const std::string& path) const {
        for (int i = 0; i < results.List(0).RowCount(); ++i)
            if (RowFilePath(results.List(0).Row(i)) == path) return results.List(0).Row(i).checked;
        return false;
    }
    void Run(Disposal disposal) {
        prompt.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
        DeleteCommand(*this, disposal);
    }
    static bool Exists(const std::string& p) { return access(p.c_str(), F_OK) == 0; }

    TestTree tree;
};

// A result file may name a protected file through a link to its folder, and rows may have been
// ticked before their folder was protected: such a file is the copy that stays, never one that
// goes, for Delete and for Move Files to Trash alike.
TEST_F(ProtectTest, ProtectedFileStaysWhateverTheResultFileOrTheTicksSay) {
    const Paths a{tree.File("p/a", "aa"), tree.File("x/a", "aa")};
    const Paths b{tree.File("p/sub/b", "bb"), tree.File("x/b", "bb")};
    const Paths c{tree.File("p/c", "cc"), tree.File("x/c", "cc")};
    const Paths d{tree.File("p/d", "dd"), tree.File("x/d", "DD")}; // the result file is wrong
    tree.Link("L", tree.Path("p"));
    QFile qdr(QString::fromStdString(tree.Path("r.qdr")));
    ASSERT_TRUE(qdr.open(QIODevice::WriteOnly));
    for (const std::string& line :
         {tree.Path("L/a") + "\tA", a[1] + "\tA", b[0] + "\tB", b[1] + "\tB",
          tree.Path("L/c") + "\tC", c[1] + "\tC", tree.Path("L/d") + "\tD", d[1] + "\tD"})
        qdr.write((line + "\r\n").c_str());
    qdr.close();
    FakeEngineHost engine;
    ASSERT_EQ(LoadResult(results, engine, qdr.fileName()).status, LoadOutcome::Status::Loaded);
    Tick(0, {b[0]}); // ticked before its folder is protected
    results.SetFolderProtected(PathToText(tree.Path("p")), true);
    Tick(0, {b[0]});
    EXPECT_FALSE(Ticked(b[0]));

    Tick(0, {tree.Path("L/a"), a[1], b[1], tree.Path("L/d"), d[1]});
    Run(Disposal::Delete);
    EXPECT_TRUE(Exists(a[0]) && Exists(b[0]) && Exists(d[0]));
    EXPECT_FALSE(Exists(a[1]) || Exists(b[1])); // their copy that stays is the protected one
    EXPECT_TRUE(Exists(d[1]));                  // no copy of it stays: its group is not whole
    EXPECT_TRUE(LastNotice().startsWith(
        "2 checked files were not deleted: they are in a protected folder.\nThe first: '" +
        PathToText(tree.Path("L/a")) + "'.\n\n1 checked"))
        << LastNotice().toStdString();

    const QByteArray home = qgetenv("HOME"), data = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", tree.Folder("home").c_str());
    qputenv("XDG_DATA_HOME", tree.Folder("home/data").c_str());
    UntickAll(*this);
    Tick(0, {tree.Path("L/c"), c[1]});
    Run(Disposal::Trash);
    qputenv("HOME", home), qputenv("XDG_DATA_HOME", data);
    EXPECT_TRUE(Exists(c[0]) && !Exists(c[1]));
    EXPECT_EQ(TestTree::Read(tree.Path("home/data/Trash/files/c")), "cc");
    EXPECT_EQ(status, "1 file moved to the trash, 2 B freed; 1 kept");
}

// A folder protected while the check compares: the file is kept all the same.
TEST_F(ProtectTest, FolderProtectedDuringTheCheckKeepsItsFiles) {
    const std::string big = TestTree::Bytes(2 << 20, 5); // compared in steps, with yields
    const Paths g{tree.File("q/a", big), tree.File("y/a", big)};
    AddGroup(7, "A", g);
    Tick(0, {g[0]});
    RecordingFileSystem& fs = InstallRecordingFileSystem();
    onYield = [&] {
        if (!fs.openFiles.empty()) results.SetFolderProtected(PathToText(tree.Path("q")), true);
    };
    Run(Disposal::Delete);
    EXPECT_TRUE(Exists(g[0]) && Exists(g[1]));
    EXPECT_TRUE(LastNotice().startsWith("1 checked file was not deleted: it is in a protected "
                                        "folder.\nThe first: '" +
                                        PathToText(g[0]) + "'."))
        << LastNotice().toStdString();
}

TEST_F(ProtectTest, TickHelpersKeepTheProtectedFileWhereverItStandsInItsGroup) {
    const Paths g{tree.Path("p/new"), tree.Path("x/old"), tree.Path("p/newer")};
    const Paths h{tree.Path("x/h1"), tree.Path("y/h2")};
    AddGroup(7, "G", g, {20, 10, 30});
    AddGroup(7, "H", h, {20, 10});
    results.SetFolderProtected(PathToText(tree.Path("p")), true);
    TickAllButOne(*this, KeepRule::Oldest);
    EXPECT_TRUE(!Ticked(g[0]) && Ticked(g[1]) && !Ticked(g[2]) && Ticked(h[0]) && !Ticked(h[1]));
    TickAllButOne(*this, KeepRule::First);
    EXPECT_TRUE(!Ticked(g[0]) && Ticked(g[1]) && !Ticked(g[2]));
    UntickAll(*this);
    TickAllInFolder(*this, 0); // p/new's folder: nothing there may be ticked
    EXPECT_EQ(status, "0 files ticked, 0 B");
}

// The protected folder bind-mounted elsewhere, or one of its sub-folders (whose ".." leads
// away from it): a row that names its file through the mount is no way around the protection.
TEST_F(ProtectTest, ProtectedFolderReachedThroughABindMountStaysProtected) {
    if (geteuid() != 0) GTEST_SKIP() << "mounts need root";
    const Paths g{tree.File("p/deep/f", "ff"), tree.File("x/f", "ff")};
    const Paths h{tree.File("p/sub/h", "hh"), tree.File("x/h", "hh")};
    tree.Folder("m"), tree.Folder("s m");
    BindMounts mounts;
    if (!mounts.Add(tree.Path("p"), tree.Path("m")) ||
        !mounts.Add(tree.Path("p/sub"), tree.Path("s m")))
        GTEST_SKIP() << "bind mount refused: " << strerror(errno);
    results.SetFolderProtected(PathToText(tree.Path("p")), true);
    AddGroup(7, "G", {tree.Path("m/deep/f"), g[1]});
    AddGroup(7, "H", {tree.Path("s m/h"), h[1]});
    Tick(0, {tree.Path("m/deep/f"), g[1], tree.Path("s m/h")});
    Run(Disposal::Delete);
    EXPECT_TRUE(Exists(g[0]) && Exists(h[0]));
    EXPECT_FALSE(Exists(g[1]));
    EXPECT_TRUE(LastNotice().contains("are in a protected folder")) << LastNotice().toStdString();
}

} // namespace
} // namespace quilder::test
