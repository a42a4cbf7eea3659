#include "ComparePhase.h"
#include "PhaseFixture.h"
#include "RecordingFileSystem.h"

#include <map>

using namespace quilder;
using V = std::vector<std::string>;

namespace {

constexpr int kVs = 1;
constexpr int kSmall = 2;

class ComparePhase : public test::PhaseFixture {
protected:
    // Every group file of a class with its lines.
    std::map<std::string, V> Groups(int order) const {
        std::map<std::string, V> groups;
        for (const std::string& name : Entries(GroupFolderPath(order)))
            groups[name] = ListLines(Group(order, name));
        return groups;
    }
    std::string Small(const std::string& name, unsigned seed) {
        return tree.FileOfSize("files/" + name, 20000, seed);
    }
};

TEST_F(ComparePhase, EachGroupIsNamedByItsFirstPositionAndListsItsMembersInOrder) {
    const std::string a = Small("a", 1), b = Small("b", 2), a2 = Small("a2", 1),
                      b2 = Small("b2", 2), c = Small("c", 3);
    WriteList(kSmall, "20000", {a, b, c, a2, b2});

    EXPECT_EQ(RunComparingPhase(host), PhaseVerdict::Completed);
    EXPECT_EQ(Groups(kSmall),
              (std::map<std::string, V>{{"20000_1", {a, a2}}, {"20000_2", {b, b2}}}));
    EXPECT_EQ(host.statusTexts, QStringList{"Comparing '" + QString::fromStdString(a) + "'"});
    EXPECT_EQ(host.yields, 5); // one after each position
    EXPECT_TRUE(host.intervals.empty());
}

TEST_F(ComparePhase, ATakenFileNeverHeadsAGroupOfItsOwn) {
    const std::string a = Small("a", 1), a2 = Small("a2", 1), a3 = Small("a3", 1);
    WriteList(kSmall, "20000", {a, a2, a3});
    WriteList(kVs, "5000",
              {tree.FileOfSize("files/d1", 5000, 1), tree.FileOfSize("files/d2", 5000, 2),
               tree.FileOfSize("files/d3", 5000, 3)});

    RunComparingPhase(host);
    EXPECT_EQ(Groups(kSmall), (std::map<std::string, V>{{"20000_1", {a, a2, a3}}}));
    EXPECT_TRUE(Groups(kVs).empty());
}

// The loader may take group files away at any yield: each must be complete by then and never
// be added to afterwards.
TEST_F(ComparePhase, GroupFilesAreCompleteAtEveryYield) {
    const std::string a = Small("a", 1), b = Small("b", 2), a2 = Small("a2", 1),
                      b2 = Small("b2", 2);
    WriteList(kSmall, "20000", {a, b, a2, b2});
    std::vector<std::map<std::string, V>> seen;
    host.onYield = [&](int) {
        seen.push_back(Groups(kSmall));
        for (const auto& group : seen.back())
            std::remove(Group(kSmall, group.first).c_str());
    };

    RunComparingPhase(host);
    using M = std::map<std::string, V>;
    EXPECT_EQ(seen, (std::vector<M>{M{{"20000_1", {a, a2}}}, M{{"20000_2", {b, b2}}}, M{}, M{}}));
    EXPECT_TRUE(Groups(kSmall).empty());
}

TEST_F(ComparePhase, ZeroVeryLargeAndHugeListsBecomeGroupsWithoutReadingAFile) {
    auto& fs = test::InstallRecordingFileSystem();
    const V empty{tree.File("files/e1", ""), tree.File("files/e2", "")};
    const V veryLarge{tree.SparseFile("files/v1", 10485760), tree.FileOfSize("files/v2", 10485760)};
    const V huge{tree.Path("files/h1"), tree.Path("files/h2")}; // need not even exist
    WriteList(0, "0", empty);
    WriteList(kVeryLargeOrder, "10485760", veryLarge);
    WriteList(kHugeOrder, "5368709120", huge);

    EXPECT_EQ(RunComparingPhase(host), PhaseVerdict::Completed);
    EXPECT_EQ(Groups(0), (std::map<std::string, V>{{"0", empty}}));
    EXPECT_EQ(Groups(kVeryLargeOrder), (std::map<std::string, V>{{"10485760", veryLarge}}));
    EXPECT_EQ(Groups(kHugeOrder), (std::map<std::string, V>{{"5368709120", huge}}));
    for (const std::string& path : fs.opened)
        EXPECT_TRUE(path.starts_with(program)) << path; // only store files were opened
    EXPECT_TRUE(host.statusTexts.isEmpty());
}

TEST_F(ComparePhase, AStopTakesEffectBeforeTheNextListAndSkipsTheDirectGroups) {
    const V vs{tree.FileOfSize("files/v1", 3000, 1), tree.FileOfSize("files/v2", 3000, 1)};
    const V tiny{tree.FileOfSize("files/t1", 300, 1), tree.FileOfSize("files/t2", 300, 1)};
    WriteList(kVs, "3000", vs);
    WriteList(0, "300", tiny);
    WriteList(0, "0", {tree.File("files/e1", ""), tree.File("files/e2", "")});
    WriteList(kVeryLargeOrder, "10485760", {"/x/a", "/x/b"});
    host.onYield = [&](int) { host.stop = true; }; // during the first list

    EXPECT_EQ(RunComparingPhase(host), PhaseVerdict::Stopped);
    EXPECT_EQ(Groups(kVs), (std::map<std::string, V>{{"3000_1", vs}})); // that list is finished
    EXPECT_TRUE(Groups(0).empty());
    EXPECT_TRUE(Groups(kVeryLargeOrder).empty());
    EXPECT_TRUE(host.intervals.empty());

    host.statusTexts.clear();
    EXPECT_EQ(RunComparingPhase(host), PhaseVerdict::Stopped); // stop before the first list
    EXPECT_TRUE(host.statusTexts.isEmpty());
}

TEST_F(ComparePhase, AFileThatCannotBeReadIsNeverGrouped) {
    const std::string a = Small("a", 1), a2 = Small("a2", 1), a3 = Small("a3", 1),
                      a4 = Small("a4", 1);
    WriteList(kSmall, "20000", {a, a2, a3, a4});
    auto& fs = test::InstallRecordingFileSystem();
    fs.unopenable = {a};
    fs.failFrom[a3] = 0;

    RunComparingPhase(host);
    EXPECT_EQ(Groups(kSmall), (std::map<std::string, V>{{"20000_2", {a2, a4}}}));
    EXPECT_TRUE(fs.openFiles.empty());
}

TEST_F(ComparePhase, AListThatCannotBeReadIsSkipped) {
    const V vs{tree.FileOfSize("files/v1", 3000, 1), tree.FileOfSize("files/v2", 3000, 1)};
    const std::string list = WriteList(kSmall, "20000", {Small("a", 1), Small("a2", 1)});
    WriteList(kVs, "3000", vs);
    test::InstallRecordingFileSystem().unopenable = {list};

    EXPECT_EQ(RunComparingPhase(host), PhaseVerdict::Completed);
    EXPECT_TRUE(Groups(kSmall).empty());
    EXPECT_EQ(Groups(kVs), (std::map<std::string, V>{{"3000_1", vs}}));
}

// Positions are not limited to 16 bits: group names carry the full position.
TEST_F(ComparePhase, ListsLongerThan32767PositionsAreComparedThroughout) {
    V paths(32768, tree.Path("missing"));
    paths.push_back(Small("a", 1));
    paths.push_back(Small("a2", 1));
    WriteList(kSmall, "20000", paths);

    RunComparingPhase(host);
    EXPECT_EQ(Groups(kSmall),
              (std::map<std::string, V>{{"20000_32769", {paths[32768], paths[32769]}}}));
    EXPECT_EQ(host.yields, 32770);
}

} // namespace
