#include "ComparePhase.h"
#include "PhaseFixture.h"
#include "RecordingFileSystem.h"

using namespace quilder;
using quilder::test::V;
using M = std::map<std::string, V>;

namespace {

constexpr int kVs = 1;
constexpr int kSmall = 2;

class ComparePhase : public test::PhaseFixture {
protected:
    std::string Small(const std::string& name, unsigned seed) {
        return tree.FileOfSize("files/" + name, 20000, seed);
    }
};

TEST_F(ComparePhase, EachGroupIsNamedByItsFirstPositionAndListsItsMembersInOrder) {
    const std::string a = Small("a", 1), b = Small("b", 2), a2 = Small("a2", 1),
                      b2 = Small("b2", 2), c = Small("c", 3), a3 = Small("a3", 1);
    // Grown since it was listed: its first 20000 bytes still equal a's.
    const std::string grown = tree.File("files/grown", test::TestTree::Bytes(20000, 1) + "x");
    WriteList(kSmall, "20000", {a, b, c, grown, a2, b2, a3});

    const PhaseOutcome outcome = RunComparingPhase(host);
    EXPECT_EQ(outcome.verdict, PhaseVerdict::Completed);
    EXPECT_FALSE(outcome.failure);
    EXPECT_EQ(Groups(kSmall), (M{{"20000_1", {a, a2, a3}}, {"20000_2", {b, b2}}}));
    EXPECT_EQ(host.statusTexts, QStringList{"Comparing '" + QString::fromStdString(a) + "'"});
    EXPECT_EQ(host.yields, 7); // one after each position
}

// The loader may take group files away at any yield: each must be complete by then and never
// be added to afterwards.
TEST_F(ComparePhase, GroupFilesAreCompleteAtEveryYield) {
    const std::string a = Small("a", 1), b = Small("b", 2), a2 = Small("a2", 1),
                      b2 = Small("b2", 2);
    WriteList(kSmall, "20000", {a, b, a2, b2});
    std::vector<M> seen;
    host.onYield = [&](int) {
        seen.push_back(Groups(kSmall));
        for (const auto& group : seen.back())
            std::remove(Group(kSmall, group.first).c_str());
    };
    RunComparingPhase(host);
    EXPECT_EQ(seen, (std::vector<M>{M{{"20000_1", {a, a2}}}, M{{"20000_2", {b, b2}}}, M{}, M{}}));
}

TEST_F(ComparePhase, ZeroVeryLargeAndHugeListsBecomeGroupsWithoutReadingAFile) {
    auto& fs = test::InstallRecordingFileSystem();
    const V empty{tree.File("files/e1", ""), tree.File("files/e2", "")};
    const V veryLarge{tree.SparseFile("files/v1", 10485760), tree.FileOfSize("files/v2", 10485760)};
    const V huge{tree.Path("files/h1"), tree.Path("files/h2")}; // need not even exist
    WriteList(0, "0", empty);
    WriteList(kVeryLargeOrder, "10485760", veryLarge);
    WriteList(kHugeOrder, "5368709120", huge);

    EXPECT_EQ(RunComparingPhase(host).verdict, PhaseVerdict::Completed);
    EXPECT_EQ(Groups(0), (M{{"0", empty}}));
    EXPECT_EQ(Groups(kVeryLargeOrder), (M{{"10485760", veryLarge}}));
    EXPECT_EQ(Groups(kHugeOrder), (M{{"5368709120", huge}}));
    EXPECT_TRUE(fs.opened.empty());
}

TEST_F(ComparePhase, AStopTakesEffectBeforeTheNextListAndSkipsTheDirectGroups) {
    const V vs{tree.FileOfSize("files/v1", 3000, 1), tree.FileOfSize("files/v2", 3000, 1)};
    WriteList(kVs, "3000", vs);
    WriteList(0, "300", {tree.FileOfSize("files/t1", 300), tree.FileOfSize("files/t2", 300)});
    WriteList(0, "0", {tree.File("files/e1", ""), tree.File("files/e2", "")});
    host.onYield = [&](int) { host.stop = true; }; // during the first list

    EXPECT_EQ(RunComparingPhase(host).verdict, PhaseVerdict::Stopped);
    EXPECT_EQ(Groups(kVs), (M{{"3000_1", vs}})); // that list is finished
    EXPECT_TRUE(Groups(0).empty());
}

TEST_F(ComparePhase, UnreadableFilesAndListsAreSkipped) {
    const std::string a = Small("a", 1), a2 = Small("a2", 1), a3 = Small("a3", 1),
                      a4 = Small("a4", 1);
    WriteList(kSmall, "20000", {a, a2, a3, a4});
    WriteList(kVs, "3000", {tree.FileOfSize("files/v1", 3000), tree.FileOfSize("files/v2", 3000)});
    auto& fs = test::InstallRecordingFileSystem();
    fs.unopenable = {a, "3000"};
    fs.failFrom[a3] = 0;

    EXPECT_EQ(RunComparingPhase(host).verdict, PhaseVerdict::Completed);
    EXPECT_EQ(Groups(kSmall), (M{{"20000_2", {a2, a4}}}));
    EXPECT_TRUE(Groups(kVs).empty());
    EXPECT_TRUE(fs.openFiles.empty());
}

TEST_F(ComparePhase, AGroupThatCannotBeWrittenIsReportedAndNeverTorn) {
    WriteList(kSmall, "20000", {Small("a", 1), Small("a2", 1)});
    WriteList(0, "0", {tree.File("files/e1", ""), tree.File("files/e2", "")});
    PhaseOutcome outcome;
    {
        const test::FileSizeLimit full(0);
        outcome = RunComparingPhase(host);
    }
    EXPECT_EQ(outcome.verdict, PhaseVerdict::Completed);
    ASSERT_TRUE(outcome.failure);
    EXPECT_EQ(outcome.failure->path, Group(kSmall, "20000_1"));
    EXPECT_FALSE(outcome.failure->reason.isEmpty());
    EXPECT_TRUE(Groups(kSmall).empty());
    EXPECT_TRUE(Groups(0).empty());
}

// Positions are not limited to 16 bits: group names carry the full position.
TEST_F(ComparePhase, ListsLongerThan32767PositionsAreComparedThroughout) {
    V paths(32768, tree.Path("missing"));
    paths.push_back(Small("a", 1));
    paths.push_back(Small("a2", 1));
    WriteList(kSmall, "20000", paths);
    RunComparingPhase(host);
    EXPECT_EQ(Groups(kSmall), (M{{"20000_32769", {paths[32768], paths[32769]}}}));
}

} // namespace
