#include "FindJob.h"

#include "DeleteCheckedFiles.h"
#include "FakeEngineHost.h"
#include "LineReader.h"
#include "LoadResult.h"
#include "PathText.h"
#include "RecordingDesktopKit.h"
#include "RecordingFileSystem.h"
#include "ResultSet.h"
#include "RowPaths.h"
#include "ScriptedPrompt.h"
#include "StoreWriter.h"
#include "TaskHost.h"
#include "TestTree.h"
#include "WorkStore.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quilder::test {
namespace {

class FakeFindJobHost : public BasicFakeEngineHost<FindJobHost> {
public:
    Prompt& Prompts() override { return prompt; }
    ResultSet& Results() override { return results; }
    void SetLoaderInterval(int ms) override { loaderInterval = ms; }
    bool OfferToSaveResult() override { return offer; }
    DesktopKit& Desktop() override { return kit; }

    ScriptedPrompt prompt;
    RecordingDesktopKit kit;
    ResultSet results;
    int loaderInterval = 0;
    bool offer = true;
};

class FindJob : public ::testing::Test {
protected:
    void SetUp() override {
        InitWorkStorePaths(tree.Folder("program"));
        tree.File("data/a/one", "same bytes");
        tree.File("data/b/one", "same bytes");
        tree.File("data/a/other", "diff bytes"); // same size, other content
        tree.File("data/a/empty", "");
        tree.File("data/b/empty", "");
        tree.FileOfSize("data/a/big", 20000, 7);
        tree.FileOfSize("data/b/big", 20000, 7);
        host.nodes = {{QString::fromStdString(tree.Path("data/a"))},
                      {QString::fromStdString(tree.Path("data/b"))}};
    }
    QString Status() const {
        return host.statusTexts.isEmpty() ? QString() : host.statusTexts.last();
    }
    int Rows(int list) { return host.results.List(list).RowCount(); }

    TestTree tree;
    FakeFindJobHost host;
};

// A job lists and counts the groups; without a selection, or while a job runs, a find job is
// refused and the lists stay.
TEST_F(FindJob, ListsTheGroupsAndRefusalsChangeNothing) {
    int nested = 0;
    host.onYield = [&](int) {
        if (nested++ == 0) RunFindJob(host);
    };
    RunFindJob(host);
    EXPECT_EQ(Status(), "Finished.");
    EXPECT_EQ(Rows(5), 2); // one/one, empty/empty, big/big; "other" matches nothing
    EXPECT_EQ(host.results.StatusCountsText(), "6 files in 3 groups.");
    EXPECT_TRUE(host.results.ResultChanged() && !host.results.JobRunning());
    host.onYield = nullptr;
    host.boxes.fill(false);
    host.nodes[0].checked = host.nodes[1].checked = false;
    RunFindJob(host);
    host.boxes[3] = true;
    RunFindJob(host);
    EXPECT_EQ(
        host.prompt.notices,
        QStringList({kJobRunningNotice, "Please select the size type of the destination files.",
                     "Please select the destination path(s)."}));
    EXPECT_EQ(Rows(0), 6);
}

// A stop given while idle ends the next job after its first node; one given while scanning ends
// it there. Either way the request is used up and the next job runs whole.
TEST_F(FindJob, StopEndsTheJobEarlyAndTheNextJobRuns) {
    RunFindJob(host);
    host.statusTexts.clear();
    host.stop = true;
    RunFindJob(host);
    EXPECT_EQ(host.statusTexts.filter("Scanning").size(), 1);
    EXPECT_EQ(Rows(0), 0);
    EXPECT_FALSE(host.stop);
    host.onYield = [&](int) { host.stop = true; };
    RunFindJob(host);
    EXPECT_EQ(Rows(0), 0);
    EXPECT_TRUE(Status().startsWith("Scanning in '"));
    host.onYield = nullptr;
    RunFindJob(host);
    EXPECT_EQ(Rows(0), 6);
}

TEST_F(FindJob, StopWhileComparingListsTheGroupsSoFarAndClosingEndsTheJobInsideAList) {
    // The loader tick runs as the window's timer would, and Stop comes with the first
    // comparing yield: the Small list is compared, nothing after it.
    host.onYield = [&](int) {
        if (host.loaderInterval == 0) return;
        LoadResult(host.results, host, QString());
        host.stop = true;
    };
    RunFindJob(host);
    EXPECT_EQ(Status(), "Finished.");
    EXPECT_EQ(Rows(5), 2); // rows appeared through the periodic load
    EXPECT_EQ(Rows(7), 0); // Tiny comes later; the zero-byte group is never made

    // Closing the window ends the job inside a list.
    host.stop = false;
    tree.FileOfSize("data/a/more", 20000, 7); // three members: the list yields twice
    int comparingYields = 0;
    host.onYield = [&](int) {
        if (host.loaderInterval != 0 && ++comparingYields == 1) host.closing = true;
    };
    RunFindJob(host);
    EXPECT_EQ(comparingYields, 1);
    EXPECT_EQ(Rows(0), 0);
    EXPECT_NE(Status(), "Finished.");
}

// The store's files are written and deleted behind the job, and rows show the files as the
// comparison read them, not as a look-up at load time would find them.
// Groups the load took from memory never get a file: the store keeps only the filtered scan
// lists. Those of a class unticked before the load stay as group files.
TEST_F(FindJob, TheStoreEndsAsTheJobLeavesItAndRowsShowTheFilesAsRead) {
    const std::string one = tree.Path("data/a/one");
    host.onYield = [&](int) {
        if (!Status().startsWith("Comparing '")) return;
        const timespec times[2] = {{0, UTIME_OMIT}, {86400, 0}}; // read already: a later change
        utimensat(AT_FDCWD, one.c_str(), times, AT_SYMLINK_NOFOLLOW);
    };
    struct stat before {};
    ASSERT_EQ(lstat(one.c_str(), &before), 0);
    ReleaseStoreWriterService(); // its counts start from nothing
    RunFindJob(host);
    ASSERT_EQ(Status(), "Finished.");
    const ResultModel& all = host.results.List(0);
    int row = 0;
    while (row < all.RowCount() && RowFilePath(all.Row(row)) != one)
        ++row;
    ASSERT_LT(row, all.RowCount());
    EXPECT_EQ(all.Row(row).ModifiedSeconds(), before.st_mtim.tv_sec);

    StoreWriterService().Drain();
    const auto names = [](const std::string& folder) {
        std::vector<std::string> found;
        FileSystemService().ListFileNames(folder, found);
        std::sort(found.begin(), found.end());
        return found;
    };
    for (int order = 0; order < kClassCount; ++order)
        EXPECT_TRUE(names(GroupFolderPath(order)).empty()) << order;
    EXPECT_EQ(names(ScanFolderPaths[0]), (std::vector<std::string>{"0", "10"}));
    EXPECT_EQ(names(ScanFolderPaths[2]), (std::vector<std::string>{"20000"}));
    std::vector<std::string> lines;
    ReadAllLines(FileSystemService(), JoinPath(ScanFolderPaths[0], "10"), lines);
    EXPECT_EQ(lines.size(), 3u);
    const StoreWriter::Counts written = StoreWriterService().Done();
    EXPECT_EQ(written.appends, 3u); // the three scan lists
    EXPECT_EQ(written.deletes, 0u);

    host.onYield = [&](int) {
        if (Status().startsWith("Comparing '")) host.boxes[BoxOfOrder(2)] = false;
    };
    RunFindJob(host);
    StoreWriterService().Drain();
    EXPECT_EQ(Rows(BoxOfOrder(2)), 0);
    EXPECT_EQ(names(GroupFolderPath(2)), (std::vector<std::string>{"20000_1"}));
    EXPECT_TRUE(names(GroupFolderPath(0)).empty());
}

TEST_F(FindJob, AStoreThatCannotBeWrittenIsReportedNotFinished) {
    InitWorkStorePaths(tree.File("not-a-folder", "x"));
    RunFindJob(host);
    ASSERT_EQ(host.prompt.notices.size(), 1);
    EXPECT_TRUE(host.prompt.notices[0].contains(QString::fromStdString(tree.Path("not-a-folder"))));
    EXPECT_EQ(Status(), kIncompleteStatus);
}

// Names a list line cannot hold are left out, a folder with all in it, and so are folders that
// cannot be read; the job ends by saying how many, once each.
TEST_F(FindJob, NamesWithALineBreakOrTabAndUnreadableFoldersAreLeftOutAndCounted) {
    tree.File("data/a/tab\there", "same bytes");
    tree.File("data/b/line\nbreak", "same bytes");
    tree.File("data/b/odd\rdir/inside", "same bytes");
    tree.File("data/b/locked/inside", "same bytes");
    tree.File("data/b/locked2/inside", "same bytes");
    RecordingFileSystem& fs = InstallRecordingFileSystem(); // tests run as root: no EACCES
    fs.unopenable = {tree.Path("data/b/locked"), tree.Path("data/b/locked2")};
    RunFindJob(host);
    ReleaseFileSystemService();
    EXPECT_EQ(Rows(0), 6);
    ASSERT_EQ(host.prompt.notices.size(), 2);
    EXPECT_EQ(host.prompt.notices[0].toStdString(),
              std::string{"2 files and 1 folder were left out because their names contain a line "
                          "break or tab, which the work store cannot hold. Everything inside a "
                          "folder left out was left out with it."});
    EXPECT_TRUE(host.prompt.notices[1].startsWith(
        "2 folders could not be read, so nothing in them was searched.\nThe first: '" +
        QString::fromStdString(tree.Path("data/b/locked"))))
        << host.prompt.notices[1].toStdString();
    EXPECT_EQ(Status(), "Finished.");
}

TEST(AnimateStatus, CyclesPhaseTextsThroughThreeDotsAndLeavesOthers) {
    const QString text = "Comparing '/a'";
    EXPECT_EQ(AnimateStatus(AnimateStatus(AnimateStatus(text))), text + "...");
    EXPECT_EQ(AnimateStatus(text + "..."), text);
    EXPECT_EQ(AnimateStatus("Loading result"), "Loading result.");
    EXPECT_EQ(AnimateStatus("Finished."), "Finished.");
}

// While Delete checks, Find waits for it; Stop ends the check, deletes nothing, and leaves no
// stop behind for the next Find.
TEST_F(FindJob, StopDuringTheDeleteCheckEndsOnlyTheCheck) {
    RunFindJob(host);
    ResultModel& all = host.results.List(0);
    for (int i = 0; i < all.RowCount(); ++i)
        all.SetChecked(i, RowFilePath(all.Row(i)).find("/b/") != std::string::npos);
    host.prompt.answers = {PromptAnswer::Yes};
    host.onYield = [&](int) {
        RunFindJob(host);
        host.stop = true;
    };
    DeleteCommand(host);
    EXPECT_EQ(host.prompt.notices, (QStringList{kDeleteCheckingNotice, kDeleteStoppedNotice}));
    EXPECT_EQ(TestTree::Read(tree.Path("data/b/one")), "same bytes");
    EXPECT_EQ(Rows(0), 6);
    host.onYield = nullptr;
    RunFindJob(host);
    EXPECT_EQ(Status(), "Finished.");
    EXPECT_EQ(Rows(0), 6);
}

} // namespace
} // namespace quilder::test
