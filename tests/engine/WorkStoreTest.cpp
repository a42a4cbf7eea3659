#include "PathText.h"
#include "StoreFixture.h"
#include "StoreWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

using namespace quilder;
using quilder::test::V;

namespace {

class WorkStore : public test::StoreFixture {};

const V kClassFolders{"h/", "l/", "n/", "s/", "t/", "vl/", "vs/"};

TEST_F(WorkStore, ResetLeavesExactlySevenEmptyClassFoldersAndDropsPendingLines) {
    tree.File("program/scanned/extra/deep/file", "x");
    tree.File("program/compared/n/204800_1", "keep me\r\n");
    LineFileService().AppendLine(ScanFolderPaths[0] + "/5", "/old/path");
    EXPECT_FALSE(ResetScanStore());
    LineFileService().Flush();
    EXPECT_EQ(Entries(program + "/scanned"), kClassFolders);
    EXPECT_TRUE(Entries(ScanFolderPaths[0]).empty());
    EXPECT_EQ(Entries(program + "/compared/n"), V{"204800_1"}); // rebuilt by its own reset only
}

// Links or files where store folders belong are removed as entries, never followed; nothing
// outside the store is touched by the reset, by appends, or through the loader's folders.
TEST_F(WorkStore, NeverFollowsALink) {
    const std::string outside = tree.File("outside/20000_1", "/precious\r\n");
    std::rename(program.c_str(), tree.Folder("old").append("/program").c_str());
    tree.Link("program/scanned", tree.Path("outside"));
    tree.Link("program/compared/t", tree.Path("outside"));
    tree.File("program/compared/n", "a file");
    EXPECT_FALSE(ResetScanStore() || ResetCompareStore());
    EXPECT_EQ(Entries(program + "/scanned"), kClassFolders);
    EXPECT_EQ(Entries(program + "/compared"), kClassFolders);

    std::rename(GroupFolderPath(2).c_str(), tree.Path("old/s").c_str()); // a link after the reset
    tree.Link("program/compared/s", tree.Path("outside"));
    LineFileService().AppendLine(GroupFolderPath(2) + "/20000_1", "/x");
    LineFileService().Flush();
    EXPECT_FALSE(StoreFolder(FileSystemService(), "/compared/s").IsOpen());
    EXPECT_FALSE(StoreFolder(FileSystemService(), "/compared/../../outside").IsOpen());
    EXPECT_EQ(Entries(tree.Path("outside")), V{"20000_1"});
    EXPECT_EQ(test::TestTree::Read(outside), "/precious\r\n");
}

// The previous lists go away behind the job, also what an abandoned removal left, and a link
// standing as the old folder is removed as an entry, never followed.
TEST_F(WorkStore, OldScanListsAreRemovedBehindTheJob) {
    tree.File("program/scanned/t/7", "/a\r\n");
    tree.File("program/scanned.old/scanned.1/t/5", "left\r\n"); // an abandoned removal
    tree.File("program/scanned.old/s/20000", "left\r\n");
    EXPECT_FALSE(ResetScanStore());
    EXPECT_EQ(Entries(program + "/scanned"), kClassFolders);
    EXPECT_TRUE(Entries(ScanFolderPaths[0]).empty());
    AwaitScanListRemoval();
    EXPECT_FALSE(FileSystemService().IsFolder(program + "/scanned.old"));

    const std::string kept = tree.File("outside/20000", "/precious\r\n");
    tree.Link("program/scanned.old", tree.Path("outside"));
    EXPECT_FALSE(ResetScanStore());
    AwaitScanListRemoval();
    EXPECT_EQ(Entries(tree.Path("outside")), V{"20000"});
    EXPECT_FALSE(FileSystemService().IsFolder(program + "/scanned.old"));
}

// A folder mounted inside the store, under a class folder of "compared" or inside "scanned.old",
// is never emptied nor removed: the reset that meets it, or the one after the removal that met it,
// reports it, once.
TEST_F(WorkStore, AFolderMountedInTheStoreIsLeftWithItsFilesAndReported) {
    const std::string kept = tree.File("outside/precious", "bytes");
    test::BindMounts mounts;
    for (const char* where : {"program/compared/t/x", "program/scanned.old/s/y"})
        if (!mounts.Add(tree.Path("outside"), tree.Folder(where)))
            GTEST_SKIP() << "cannot bind-mount here (root only): " << std::strerror(errno);
    const auto where = [](const std::optional<StoreFailure>& failure) {
        return failure ? failure->path : "no failure";
    };
    EXPECT_EQ(where(ResetCompareStore()), program + "/compared/t/x");
    EXPECT_FALSE(ResetScanStore()); // its old lists go behind the job, and meet the other mount
    AwaitScanListRemoval();
    EXPECT_EQ(where(ResetCompareStore()), program + "/scanned.old/s/y");
    EXPECT_EQ(test::TestTree::Read(kept), "bytes");
    EXPECT_EQ(Entries(program + "/compared/t/x"), V{"precious"});
    EXPECT_EQ(Entries(program + "/scanned.old/s/y"), V{"precious"});
}

// Deleting through the store writer is over once AwaitDeletes returns; names given after that
// start a new round. Under ThreadSanitizer this is also the writer's race check.
TEST_F(WorkStore, DeletesGivenForLaterAreDoneWhenAwaited) {
    ASSERT_FALSE(ResetCompareStore());
    StoreFolder folder(FileSystemService(), "/compared/s");
    for (int round = 0; round < 2; ++round) {
        V names;
        for (int k = 0; k < 1000; ++k)
            names.push_back(
                tree.File("program/compared/s/" + std::to_string(round * 1000 + k), ""));
        for (const std::string& name : names) // most still queued when awaited
            folder.DeleteLater(name.substr(name.rfind('/') + 1));
        folder.AwaitDeletes();
        V left; // listed as is: Entries would wait for the writer itself
        FileSystemService().ListFileNames(GroupFolderPath(2), left);
        EXPECT_TRUE(left.empty());
    }
}

using LineFileTest = WorkStore;

TEST_F(LineFileTest, LinesArriveInCallOrderAfterWhatTheFileHeldAndAreCountedAsRead) {
    const std::string a = tree.File("program/scanned/t/a", "/kept\r\n");
    const std::string b = ScanFolderPaths[0] + "/b";
    LineFile lines;
    lines.AppendLine(a, "/x/1");
    lines.AppendLine(b, "/y/1");
    lines.AppendLine(a, "/x/2");
    EXPECT_EQ(lines.CountLines(a), 3); // no flush needed by the caller
    for (int i = 0; i < 20000; ++i)    // more than is kept in memory: written part-way
        lines.AppendLine(b, std::string(1000, 'p'));
    EXPECT_EQ(ListLines(a), (V{"/kept", "/x/1", "/x/2"}));
    EXPECT_EQ(lines.CountLines(b), 20001);
    EXPECT_EQ(lines.CountLines(tree.File("program/scanned/t/c", "/a\nb\r\n/c")), 2);
    EXPECT_EQ(lines.CountLines(ScanFolderPaths[0] + "/missing"), -1);
    EXPECT_FALSE(lines.TakeFailure());
}

// A short write (a full disk) takes back what it wrote, and a file outside the store's class
// folders is never written; both are reported with the path, once.
TEST_F(LineFileTest, AFailedAppendLeavesNoTornLineAndNothingOutsideTheStore) {
    const std::string list = tree.File("program/scanned/t/a", "/kept\r\n");
    LineFile lines;
    for (const std::string& file : {list, tree.Path("outside"), program + "/scanned/x"}) {
        lines.AppendLine(file, "/a/path/longer/than/the/room/left");
        [&] { return test::FileSizeLimit(12), lines.Flush(); }();
        EXPECT_EQ(lines.TakeFailure()->path, file);
        EXPECT_FALSE(lines.TakeFailure());
    }
    EXPECT_EQ(ListLines(list), V{"/kept"});
    EXPECT_EQ(Entries(tree.Root()), (V{"program/"}));
    EXPECT_EQ(Entries(program + "/scanned"), (V{"h/", "l/", "n/", "s/", "t/", "vl/", "vs/"}));
}

} // namespace

namespace {

using StoreWriterTest = test::StoreFixture;

std::shared_ptr<const std::string> Text(const std::string& text) {
    return std::make_shared<const std::string>(text);
}

// Requests are carried out in the order given, a file deleted right after it was asked for is
// gone, and a failure names its file.
TEST_F(StoreWriterTest, CarriesOutRequestsInOrderAndTellsTheFirstFailure) {
    StoreWriter& writer = StoreWriterService();
    const std::string& folder = ScanFolderPaths[0];
    const int handle = StoreFolderHandle(folder);
    for (int k = 0; k < 200; ++k) {
        writer.Append(handle, folder, "order", Text(std::to_string(k) + "\r\n"));
        writer.Append(handle, folder, "made" + std::to_string(k), Text("x\r\n"));
        writer.Delete(handle, "made" + std::to_string(k));
    }
    writer.Append(StoreFolderHandle(GroupFolderPath(0)), GroupFolderPath(0), "kept", Text("y\r\n"));
    writer.Drain();
    V expected;
    for (int k = 0; k < 200; ++k)
        expected.push_back(std::to_string(k));
    EXPECT_EQ(ListLines(JoinPath(folder, "order")), expected);
    EXPECT_EQ(Entries(folder), V{"order"});
    const StoreWriter::Counts done = writer.Done();
    EXPECT_EQ(done.appends, 401u);
    EXPECT_EQ(done.deletes, 200u);
    EXPECT_FALSE(writer.TakeFailure());

    const std::string& gone = ScanFolderPaths[1];
    const int stale = StoreFolderHandle(gone);
    ASSERT_EQ(rmdir(gone.c_str()), 0); // its handle stays open, on a folder that is gone
    writer.Append(stale, gone, "lost", Text("z\r\n"));
    writer.Drain();
    const std::optional<StoreFailure> failure = writer.TakeFailure();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->path, JoinPath(gone, "lost"));
    EXPECT_FALSE(writer.TakeFailure());
    EXPECT_EQ(Entries(GroupFolderPath(0)), V{"kept"});
}

// Once Forget returns, nothing more is done through the folders given, whatever was queued.
TEST_F(StoreWriterTest, ForgetDropsWhatWasNotBegun) {
    StoreWriter& writer = StoreWriterService();
    const std::string& folder = GroupFolderPath(3);
    const int handle = StoreFolderHandle(folder);
    for (int k = 0; k < 3000; ++k)
        writer.Append(handle, folder, std::to_string(k), Text("/a\r\n/b\r\n"));
    writer.Forget({handle});
    const std::size_t made = writer.Done().appends;
    writer.Drain();
    EXPECT_EQ(writer.Done().appends, made);
    EXPECT_EQ(Entries(folder).size(), made);
}

} // namespace
