#include "DeleteCheckedFiles.h"
#include "RecordingFileSystem.h"
#include "RowPaths.h"
#include "TestActionHost.h"
#include "TestTree.h"
#include "TickHelpers.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace quilder::test {
namespace {

using Paths = std::vector<std::string>;

// The tick helpers and Move Files to Trash, on rows of files in a test tree.
class ExtrasTest : public ::testing::Test, public TestActionHost {
protected:
    void TearDown() override { ReleaseFileSystemService(); }

    // Rows of one group in the All list and class list `classList`; `modified[i]` is the date of
    // file i.
    void AddGroup(int classList, const QString& key, const Paths& paths,
                  const std::vector<std::int64_t>& modified = {}) {
        std::vector<ResultRow> rows = RowsOf(key, paths);
        for (std::size_t i = 0; i < rows.size(); ++i)
            rows[i].SetFile(1000, SizeUnit::Bytes, i < modified.size() ? modified[i] : 0);
        Insert(classList, rows);
    }
    // "name:key", and a "*" before a ticked row.
    std::vector<std::string> Rows(int list) const {
        std::vector<std::string> rows;
        for (int i = 0; i < results.List(list).RowCount(); ++i) {
            const ResultRow& row = results.List(list).Row(i);
            rows.push_back((row.checked ? "*" : "") + row.text[kNameColumn].toStdString() + ":" +
                           row.SortKey().toStdString());
        }
        return rows;
    }

    TestTree tree;
};

TEST_F(ExtrasTest, TickHelpersKeepOneRowPerGroupAndTickAFolderWithoutItsSubFolders) {
    // Dates: a group with a tie for oldest, one with a tie for newest, one of equal dates.
    AddGroup(7, "A", {tree.Path("x/a1"), tree.Path("y/a2"), tree.Path("x/a3")}, {20, 10, 10});
    AddGroup(7, "B", {tree.Path("x/b1"), tree.Path("x/sub/b2"), tree.Path("y/b3")}, {30, 40, 40});
    AddGroup(7, "C", {tree.Path("x/c1"), tree.Path("x/c2")}, {5, 5});
    using R = std::vector<std::string>;
    TickAllButOne(*this, KeepRule::Oldest);
    EXPECT_EQ(Rows(0), (R{"*a1:A", "a2:A", "*a3:A", "b1:B", "*b2:B", "*b3:B", "c1:C", "*c2:C"}));
    EXPECT_EQ(status, "5 files ticked, 4.9 KB");
    TickAllButOne(*this, KeepRule::Newest);
    EXPECT_EQ(Rows(0), (R{"a1:A", "*a2:A", "*a3:A", "*b1:B", "b2:B", "*b3:B", "c1:C", "*c2:C"}));
    TickAllButOne(*this, KeepRule::First);
    EXPECT_EQ(Rows(0), (R{"a1:A", "*a2:A", "*a3:A", "b1:B", "*b2:B", "*b3:B", "c1:C", "*c2:C"}));
    EXPECT_EQ(Rows(7)[0], "a1:A"); // the class list keeps its own ticks

    UntickAll(*this);
    EXPECT_EQ(status, "0 files ticked, 0 B");
    TickAllInFolder(*this, -1);
    TickAllInFolder(*this, 3); // b1, in x: x/sub/b2 is in a sub-folder
    EXPECT_EQ(Rows(0), (R{"*a1:A", "a2:A", "*a3:A", "*b1:B", "b2:B", "b3:B", "*c1:C", "*c2:C"}));
    EXPECT_EQ(prompt.notices, (QStringList{kNoRowForFolder, WholeGroupsTickedNotice(1)}));
    EXPECT_EQ(status, "5 files ticked, 4.9 KB");

    // From here the text follows the list on screen, counted once the event loop turns.
    const auto settled = [this] {
        for (int turn = 0; turn < 5; ++turn)
            QCoreApplication::processEvents();
        return status;
    };
    results.List(0).SetChecked(1, true); // by hand
    EXPECT_EQ(settled(), "6 files ticked, 5.9 KB");
    results.OptionClicked(7);
    EXPECT_EQ(settled(), "0 files ticked, 0 B");
    results.List(7).SetChecked(0, true);
    EXPECT_EQ(settled(), "1 file ticked, 1000 B");
    status = "Finished."; // another text takes the panel, and keeps it
    results.List(7).SetChecked(1, true);
    EXPECT_EQ(settled(), "Finished.");
}

TEST_F(ExtrasTest, TrashTakesCheckedCopiesToTheTrashAndNeverDeletesOneThatCannotGo) {
    // The trash of a file on the home folder's drive is in the data folder.
    const QByteArray home = qgetenv("HOME"), data = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", tree.Folder("home").c_str());
    qputenv("XDG_DATA_HOME", tree.Folder("home/data").c_str());
    const Paths g{tree.File("g/keep", "same"), tree.File("g/go", "same"),
                  tree.File("g/stay", "same")};
    AddGroup(7, "A", g);
    for (int i : {1, 2})
        results.List(0).SetChecked(i, true);
    RecordingFileSystem& fs = InstallRecordingFileSystem();
    fs.untrashable = {"stay"};
    prompt.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    DeleteCommand(*this, Disposal::Trash);
    const std::vector<std::string> rowsAfterFirst = Rows(0);

    // Another program swaps two folders right before the move: the move acts on the folder
    // that was checked, wherever it is now, and never on what now stands under its path.
    const Paths d1{tree.File("d1/a", "one"), tree.File("d1/b", "two")};
    const Paths d2{tree.File("d2/a", "uno"), tree.File("d2/b", "dos")};
    AddGroup(7, "B", {d1[0], tree.File("k/a", "one")});
    AddGroup(7, "C", {d1[1], tree.File("k/b", "two")});
    for (int i = 0; i < results.List(0).RowCount(); ++i)
        if (results.List(0).Row(i).text[kPathColumn].endsWith("/d1"))
            results.List(0).SetChecked(i, true);
    fs.beforeRemoval = [&, swapped = false](const std::string&) mutable {
        if (std::exchange(swapped, true)) return;
        ASSERT_EQ(renameat2(AT_FDCWD, tree.Path("d1").c_str(), AT_FDCWD, tree.Path("d2").c_str(),
                            RENAME_EXCHANGE),
                  0);
    };
    DeleteCommand(*this, Disposal::Trash);
    qputenv("HOME", home), qputenv("XDG_DATA_HOME", data);
    EXPECT_EQ(TestTree::Read(d1[0]) + TestTree::Read(d1[1]), "unodos");
    EXPECT_EQ(TestTree::Read(tree.Path("home/data/Trash/files/a")) +
                  TestTree::Read(tree.Path("home/data/Trash/files/b")),
              "onetwo");
    EXPECT_NE(TestTree::Read(tree.Path("home/data/Trash/info/a.trashinfo"))
                  .find("Path=" + tree.Path("d2/a")),
              std::string::npos);
    EXPECT_EQ(status, "2 files moved to the trash, 6 B freed; 1 kept");
    prompt.notices.removeLast();

    EXPECT_EQ(prompt.questions, QStringList(2, kTrashQuestion));
    EXPECT_EQ(TestTree::Read(tree.Path("home/data/Trash/files/go")), "same");
    EXPECT_NE(TestTree::Read(tree.Path("home/data/Trash/info/go.trashinfo"))
                  .find("Path=" + tree.Path("g/go")),
              std::string::npos);
    EXPECT_TRUE(TestTree::Read(g[1]).empty() && TestTree::Read(g[2]) == "same");
    EXPECT_EQ(rowsAfterFirst, (std::vector<std::string>{"keep:A", "*stay:A"}));
    EXPECT_EQ(Rows(7), (std::vector<std::string>{"keep:A", "stay:A", "a:B", "b:C"}));
    ASSERT_EQ(prompt.notices.size(), 1);
    EXPECT_TRUE(prompt.notices[0].startsWith(
        "1 checked file could not be moved to the trash; it keeps its rows."));
}

} // namespace
} // namespace quilder::test
