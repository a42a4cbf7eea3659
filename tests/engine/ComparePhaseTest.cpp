#include "ComparePhase.h"
#include "FilterPhase.h"
#include "GapProbe.h"
#include "RecordingFileSystem.h"
#include "StoreFixture.h"

using namespace quilder;
using quilder::test::V;
using M = std::map<std::string, V>;

namespace {

constexpr int kVs = 1;
constexpr int kSmall = 2;

class ComparePhase : public test::StoreFixture {
protected:
    std::string Small(const std::string& name, unsigned seed) {
        return tree.FileOfSize("files/" + name, 20000, seed);
    }
};

TEST_F(ComparePhase, EachGroupIsNamedByItsFirstPositionAndListsItsMembersInOrder) {
    const std::string a = Small("a", 1), b = Small("b", 2), a2 = Small("a2", 1),
                      b2 = Small("b2", 2), c = Small("c", 3), a3 = Small("a3", 1);
    // One grown since it was listed (its first 20000 bytes still equal a's), one unreadable, and a
    // list that cannot be read.
    const std::string grown = tree.File("files/grown", test::TestTree::Bytes(20000, 1) + "x");
    const std::string a4 = Small("a4", 1), unreadable = Small("a5", 1);
    WriteList(kSmall, "20000", {a, b, c, grown, a2, unreadable, b2, a3, a4});
    WriteList(kVs, "3000", {tree.FileOfSize("files/v1", 3000), tree.FileOfSize("files/v2", 3000)});
    auto& fs = test::InstallRecordingFileSystem();
    fs.unopenable = {"3000"};
    fs.failFrom[unreadable] = 0;

    // The loader may take group files away at any yield: each must be complete by then and
    // never be added to afterwards.
    M seen;
    host.onYield = [&](int) {
        for (const auto& group : Groups(kSmall))
            if (seen.insert(group).second) std::remove(Group(kSmall, group.first).c_str());
    };
    const PhaseOutcome outcome = RunComparingPhase(host);
    EXPECT_TRUE(outcome.verdict == PhaseVerdict::Completed && !outcome.failure);
    EXPECT_EQ(seen, (M{{"20000_1", {a, a2, a3, a4}}, {"20000_2", {b, b2}}}));
    EXPECT_TRUE(Groups(kVs).empty());
    EXPECT_EQ(host.statusTexts, QStringList{"Comparing '" + QString::fromStdString(a) + "'"});
}

TEST_F(ComparePhase, DirectGroupsComeWithoutReadingAFileUnlessAStopCameFirst) {
    const V vs{tree.FileOfSize("files/v1", 3000, 1), tree.FileOfSize("files/v2", 3000, 1)};
    const V empty{tree.File("files/e1", ""), tree.File("files/e2", "")};
    const V large{tree.SparseFile("files/l1", 10485760), tree.FileOfSize("files/l2", 10485760)};
    const V huge{tree.Path("files/h1"), tree.Path("files/h2")}; // need not even exist
    WriteList(kVs, "3000", vs);
    WriteList(0, "0", empty);
    WriteList(kVeryLargeOrder, "10485760", large);
    WriteList(kHugeOrder, "5368709120", huge);
    host.onYield = [&](int yield) { host.stop = yield <= 2; }; // during the first run only
    EXPECT_EQ(RunComparingPhase(host).verdict, PhaseVerdict::Stopped);
    EXPECT_TRUE(Groups(kVs) == (M{{"3000_1", vs}}) && Groups(0).empty());

    host.stop = false;
    ResetCompareStore();
    auto& fs = test::InstallRecordingFileSystem();
    EXPECT_EQ(RunComparingPhase(host).verdict, PhaseVerdict::Completed);
    EXPECT_EQ(fs.opened, vs);
    EXPECT_EQ(Groups(0), (M{{"0", empty}}));
    EXPECT_EQ(Groups(kVeryLargeOrder), (M{{"10485760", large}}));
    EXPECT_EQ(Groups(kHugeOrder), (M{{"5368709120", huge}}));
}

// The probe counts files opened instead of time: a long list must not be sampled whole before
// the window's next turn, however fast the machine.
TEST_F(ComparePhase, TheWindowTurnsWhileALongListIsSampled) {
    V files;
    for (unsigned i = 0; i < 900; ++i)
        files.push_back(tree.FileOfSize("files/" + std::to_string(i), 3000, i % 300));
    WriteList(kVs, "3000", files);
    auto& fs = test::InstallRecordingFileSystem();
    GapProbe probe([&fs] { return static_cast<std::int64_t>(fs.opened.size()); });
    probe.Start();
    probe.SetStatus(QStringLiteral("Comparing"));
    host.onYield = [&](int) { probe.Turn(); };
    EXPECT_EQ(RunComparingPhase(host).verdict, PhaseVerdict::Completed);
    probe.Finish();
    EXPECT_EQ(fs.opened.size(), 900u);
    EXPECT_LE(probe.Longest(QStringLiteral("Comparing")), 300);
    EXPECT_EQ(Groups(kVs).size(), 300u);
}

TEST_F(ComparePhase, AGroupThatCannotBeWrittenIsReportedAndNeverTorn) {
    WriteList(kSmall, "20000", {Small("a", 1), Small("a2", 1)});
    WriteList(0, "0", {tree.File("files/e1", ""), tree.File("files/e2", "")});
    // Group files nobody loaded are written behind the job: a failure is told by the phase, or
    // later.
    std::optional<StoreFailure> later;
    const PhaseOutcome outcome = [&] {
        const test::FileSizeLimit limit(0);
        const PhaseOutcome done = RunComparingPhase(host);
        WriteUntakenGroups();
        StoreWriterService().Drain();
        later = StoreWriterService().TakeFailure();
        return done;
    }();
    ASSERT_TRUE(outcome.verdict == PhaseVerdict::Completed && outcome.failure);
    const StoreFailure& group = later ? *later : *outcome.failure;
    EXPECT_EQ(group.path, Group(kSmall, "20000_1"));
    EXPECT_FALSE(group.reason.isEmpty());
    EXPECT_TRUE(Groups(kSmall).empty() && Groups(0).empty());
}

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
    EXPECT_EQ(Entries(ScanFolderPaths[2]), (V{"10", "20", "30"}));

    host.onYield = nullptr;
    host.stop = false;
    EXPECT_EQ(RunFilteringPhase(host).verdict, PhaseVerdict::Completed);
    for (int order = 0; order < kClassCount; ++order)
        EXPECT_EQ(Entries(ScanFolderPaths[order]), V{"20"}) << order;
    EXPECT_EQ(host.statusTexts.back(), "Filtering huge files");
}

} // namespace
