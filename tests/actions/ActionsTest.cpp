#include "ActionHost.h"
#include "DeleteCheckedFiles.h"
#include "OpenCheckedItems.h"
#include "PathText.h"
#include "RecordingDesktopKit.h"
#include "RecordingFileSystem.h"
#include "ResultSet.h"
#include "RowPaths.h"
#include "ScriptedPrompt.h"
#include "TestTree.h"

#include <QFile>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>
#include <utility>

namespace quilder::test {
namespace {

using Paths = std::vector<std::string>;

// The fixture is the window and the desktop: real files on disk, each with a row in the All
// list and one in its class list; the desktop records what is opened and does nothing else.
class ActionsTest : public ::testing::Test, public ActionHost {
protected:
    void TearDown() override { ReleaseFileSystemService(); }
    static bool Exists(const std::string& p) { return QFile::exists(QString::fromStdString(p)); }
    ResultSet& Results() override { return results; }
    Prompt& Prompts() override { return prompt; }
    DesktopKit& Desktop() override { return kit; }
    bool Yield() override {
        if (onYield) onYield();
        return true;
    }
    QString StatusText() const override { return status; }
    void SetStatusText(const QString& text) override { status = text; }

    void AddGroup(int classList, const QString& key, const Paths& paths) {
        std::vector<ResultRow> rows;
        for (const std::string& path : paths) {
            ResultRow& row = rows.emplace_back();
            row.text[kNameColumn] = PathToText(path.substr(path.rfind('/') + 1));
            row.text[kPathColumn] = PathToText(path.substr(0, path.rfind('/')));
            row.text[kSortColumn] = key;
        }
        results.List(0).InsertSorted(rows);
        results.List(classList).InsertSorted(rows);
    }
    Paths RowFiles(int list) const {
        Paths paths;
        for (int i = 0; i < results.List(list).RowCount(); ++i)
            paths.push_back(RowFilePath(results.List(list).Row(i)));
        return paths;
    }
    void Check(int list, const Paths& paths) {
        for (int i = 0; i < results.List(list).RowCount(); ++i)
            if (std::count(paths.begin(), paths.end(), RowFilePath(results.List(list).Row(i))))
                results.List(list).SetChecked(i, true);
    }
    void DeleteAnsweringYes() {
        prompt.answers.push_back(PromptAnswer::Yes);
        DeleteCommand(*this);
    }

    TestTree tree;
    ResultSet results;
    ScriptedPrompt prompt;
    RecordingDesktopKit kit;
    QString status = QStringLiteral("Finished.");
    std::function<void()> onYield;
};

TEST_F(ActionsTest, DeleteChangesNothingWhenThereIsNothingItMayDelete) {
    DeleteCommand(*this);
    OpenFilesCommand(*this);
    EXPECT_EQ(prompt.notices, (QStringList{kNoFileForDeleting, kNoFileForOpening}));
    const Paths group{tree.File("a", "same"), tree.File("b", "same")};
    AddGroup(7, "A", group);
    DeleteAnsweringYes(); // nothing checked
    Check(0, {group[1]});
    DeleteCommand(*this); // answered No
    EXPECT_EQ(prompt.questions, QStringList(2, kDeleteQuestion));

    // A file that cannot be deleted keeps both its rows and its check.
    InstallRecordingFileSystem().undeletable = {group[1]};
    results.SetCurrentResultFile("saved.qdr");
    DeleteAnsweringYes();
    EXPECT_EQ(prompt.notices.last(), "1 checked file could not be deleted; it keeps its rows.");
    EXPECT_TRUE(Exists(group[0]) && Exists(group[1]));
    EXPECT_EQ(RowFiles(0), group);
    EXPECT_EQ(RowFiles(7), group);
    EXPECT_TRUE(results.List(0).Row(1).checked);
    EXPECT_FALSE(results.ResultChanged());
}

TEST_F(ActionsTest, DeletedFilesLoseTheirRowAndItsTwin) {
    Paths left; // so many scattered rows go that the lists are rebuilt rather than cut
    for (int g = 0; g < 140; ++g) {
        const std::string n = std::to_string(g);
        const Paths pair{tree.File("k" + n, n), tree.File("c" + n, n)};
        AddGroup(6, QString::asprintf("%03d", g), pair);
        Check(0, {pair[1]});
        left.push_back(pair[0]);
    }
    const Paths b{tree.File("b1", "bbbb"), tree.File("b2", "bbbb")};
    const Paths all{tree.File("d1", "one"), tree.File("d2", "two")}; // every copy checked
    const Paths gone{tree.File("e1", "ee"), tree.Path("e2")};        // e2 vanished: loses its rows
    AddGroup(5, "B", b);
    AddGroup(6, "D", all);
    AddGroup(7, "E", gone);
    results.SetCurrentResultFile("saved.qdr");
    Check(0, {all[0], all[1], gone[1]});
    DeleteAnsweringYes();
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
    Check(5, {b[0]});
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
    Check(0, {a[1], a[2], c[0], d[1]});
    bool yielded = false;
    onYield = [&] {
        if (!std::exchange(yielded, true)) DeleteCommand(*this); // refused: files are compared
        EXPECT_TRUE(results.JobRunning() &&
                    status.startsWith("Checking '" + QString::fromStdString(tree.Root())));
    };
    DeleteAnsweringYes();
    EXPECT_FALSE(Exists(a[1]) || Exists(d[1]));
    EXPECT_TRUE(Exists(a[2]) && Exists(c[0]) && TestTree::Read(d[0]) == "dd");
    EXPECT_EQ(RowFiles(0), (Paths{a[0], a[2], c[0], c[1], d[0]}));
    EXPECT_EQ(RowFiles(3), (Paths{a[0], a[2]}));
    EXPECT_TRUE(results.List(0).Row(1).checked);
    ASSERT_EQ(prompt.notices.size(), 2); // the first: Delete refused during the comparisons
    EXPECT_TRUE(prompt.notices[1].startsWith("2 checked files were not deleted"));
    EXPECT_FALSE(results.JobRunning());
    EXPECT_EQ(status, "Finished.");
}

TEST_F(ActionsTest, OpensCheckedRowsInRowOrderAndTheirFolderOncePerRow) {
    const Paths g{tree.File("g/a", "x"), tree.File("g/b", "x"), tree.File("g/c", "x")};
    AddGroup(7, "A", g);
    Check(7, {g[2], g[0]});
    Check(0, {g[1]}); // checked in a list that is not shown
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
