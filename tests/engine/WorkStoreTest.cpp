#include "StoreFixture.h"

using namespace quilder;
using V = std::vector<std::string>;

namespace {

class WorkStore : public test::StoreFixture {};

const V kClassFolders{"h/", "l/", "n/", "s/", "t/", "vl/", "vs/"};

TEST_F(WorkStore, ResetLeavesExactlySevenEmptyClassFolders) {
    tree.File("program/scanned/t/100", "/old/a\r\n/old/b\r\n");
    tree.File("program/scanned/stray-file", "x");
    tree.File("program/scanned/extra/deep/file", "x");
    tree.Folder("program/scanned/vs");
    tree.File("program/compared/n/204800_1", "keep me\r\n");

    ResetScanStore();
    EXPECT_EQ(Entries(program + "/scanned"), kClassFolders);
    for (const std::string& folder : ScanFolderPaths)
        EXPECT_TRUE(Entries(folder).empty());
    // The compare store is rebuilt by its own reset only.
    EXPECT_EQ(Entries(program + "/compared/n"), V{"204800_1"});

    ResetCompareStore();
    EXPECT_EQ(Entries(program + "/compared"), kClassFolders);
    EXPECT_TRUE(Entries(program + "/compared/n").empty());
}

TEST_F(WorkStore, ResetDropsLinesNotYetWrittenToTheOldStore) {
    ResetScanStore();
    LineFileService().AppendLine(ScanFolderPaths[0] + "/5", "/old/path");
    ResetScanStore();
    LineFileService().Flush();
    EXPECT_TRUE(Entries(ScanFolderPaths[0]).empty());
}

} // namespace
