#include "StoreFixture.h"

#include <cstdio>

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

    InitWorkStorePaths(tree.Path("no/such/folder"));
    const auto failure = ResetScanStore();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->path, tree.Path("no/such/folder"));
    EXPECT_FALSE(failure->reason.isEmpty());
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

} // namespace
