#include "FilterPhase.h"
#include "PhaseFixture.h"
#include "RecordingFileSystem.h"

using namespace quilder;
using V = std::vector<std::string>;

namespace {

class FilterPhase : public test::PhaseFixture {};

TEST_F(FilterPhase, DeletesListsOfFewerThanTwoFilesInEveryClass) {
    host.TickOnly(7); // whether a class is ticked does not matter
    for (int order = 0; order < kClassCount; ++order) {
        WriteList(order, "10", {"/x/a"});
        WriteList(order, "20", {"/x/a", "/x/b"});
        WriteList(order, "30", {});
    }

    EXPECT_EQ(RunFilteringPhase(host), PhaseVerdict::Completed);
    for (int order = 0; order < kClassCount; ++order)
        EXPECT_EQ(Entries(ScanFolderPaths[order]), V{"20"}) << order;
    EXPECT_EQ(host.statusTexts, (QStringList{"Filtering tiny files", "Filtering very small files",
                                             "Filtering small files", "Filtering normal files",
                                             "Filtering large files", "Filtering very large files",
                                             "Filtering huge files"}));
    EXPECT_EQ(host.yields, 7);
    EXPECT_TRUE(host.intervals.empty());
}

TEST_F(FilterPhase, StopsBeforeTheNextClassAndStopsTheAnimation) {
    for (int order = 0; order < kClassCount; ++order)
        WriteList(order, "10", {"/x/a"});
    host.onYield = [&](int yield) { host.stop = yield == 3; };

    EXPECT_EQ(RunFilteringPhase(host), PhaseVerdict::Stopped);
    EXPECT_EQ(host.statusTexts,
              (QStringList{"Filtering tiny files", "Filtering very small files"}));
    EXPECT_EQ(host.intervals, std::vector<int>{0});
    for (int order = 0; order < kClassCount; ++order)
        EXPECT_EQ(Entries(ScanFolderPaths[order]).size(), order < 2 ? 0u : 1u) << order;
}

TEST_F(FilterPhase, AListThatCannotBeCountedIsDeleted) {
    const std::string unreadable = WriteList(1, "2048", {"/x/a", "/x/b"});
    const std::string fine = WriteList(1, "4096", {"/x/a", "/x/b"});
    test::InstallRecordingFileSystem().unopenable = {unreadable};

    EXPECT_EQ(RunFilteringPhase(host), PhaseVerdict::Completed);
    EXPECT_EQ(Entries(ScanFolderPaths[1]), V{"4096"});
}

} // namespace
