#include "FilterPhase.h"
#include "PhaseFixture.h"
#include "RecordingFileSystem.h"

using namespace quilder;
using quilder::test::V;

namespace {

class FilterPhase : public test::PhaseFixture {};

// Whether a class is ticked does not matter; a list that cannot be counted goes too.
TEST_F(FilterPhase, DeletesListsOfFewerThanTwoFilesInEveryClass) {
    host.TickOnly(7);
    for (int order = 0; order < kClassCount; ++order) {
        WriteList(order, "10", {"/x/a"});
        WriteList(order, "20", {"/x/a", "/x/b"});
        WriteList(order, "30", {});
    }
    WriteList(1, "2048", {"/x/a", "/x/b"});
    test::InstallRecordingFileSystem().unopenable = {"2048"};

    EXPECT_EQ(RunFilteringPhase(host).verdict, PhaseVerdict::Completed);
    for (int order = 0; order < kClassCount; ++order)
        EXPECT_EQ(Entries(ScanFolderPaths[order]), V{"20"}) << order;
    EXPECT_EQ(host.statusTexts, (QStringList{"Filtering tiny files", "Filtering very small files",
                                             "Filtering small files", "Filtering normal files",
                                             "Filtering large files", "Filtering very large files",
                                             "Filtering huge files"}));
}

TEST_F(FilterPhase, StopsBeforeTheNextClassAndStopsTheAnimation) {
    for (int order = 0; order < kClassCount; ++order)
        WriteList(order, "10", {"/x/a"});
    host.onYield = [&](int yield) { host.stop = yield == 3; };

    EXPECT_EQ(RunFilteringPhase(host).verdict, PhaseVerdict::Stopped);
    EXPECT_EQ(host.intervals, std::vector<int>{0});
    for (int order = 0; order < kClassCount; ++order)
        EXPECT_EQ(Entries(ScanFolderPaths[order]).size(), order < 2 ? 0u : 1u) << order;
}

} // namespace
