#include "FilterPhase.h"
#include "RecordingFileSystem.h"
#include "StoreFixture.h"

using namespace quilder;
using quilder::test::V;

namespace {

class FilterPhase : public test::StoreFixture {};

// Whether a class is ticked does not matter; a list that cannot be counted goes too. A stop
// takes effect before the next class.
TEST_F(FilterPhase, DeletesListsOfFewerThanTwoFilesClassByClass) {
    host.TickOnly(7);
    for (int order = 0; order < kClassCount; ++order) {
        WriteList(order, "10", {"/x/a"});
        WriteList(order, "20", {"/x/a", "/x/b"});
        WriteList(order, "30", {});
    }
    WriteList(1, "2048", {"/x/a", "/x/b"});
    test::InstallRecordingFileSystem().unopenable = {"2048"};
    host.onYield = [&](int yield) { host.stop = yield == 3; };
    EXPECT_EQ(RunFilteringPhase(host).verdict, PhaseVerdict::Stopped);
    EXPECT_EQ(host.intervals, std::vector<int>{0});
    EXPECT_EQ(Entries(ScanFolderPaths[2]), (V{"10", "20", "30"}));

    host.onYield = nullptr;
    host.stop = false;
    EXPECT_EQ(RunFilteringPhase(host).verdict, PhaseVerdict::Completed);
    for (int order = 0; order < kClassCount; ++order)
        EXPECT_EQ(Entries(ScanFolderPaths[order]), V{"20"}) << order;
    EXPECT_EQ(host.statusTexts.back(), "Filtering huge files");
}

} // namespace
