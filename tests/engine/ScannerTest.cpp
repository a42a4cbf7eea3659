#include "Scanner.h"
#include "FilterPhase.h"
#include "PathText.h"
#include "Service.h"
#include "StoreFixture.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

using namespace quilder;
using quilder::test::BindMounts;
using quilder::test::V;

namespace {

class Scanner : public test::StoreFixture {
protected:
    void Nodes(std::initializer_list<std::pair<const char*, int>> nodes) { // path, children
        host.nodes.clear();
        for (const auto& [path, children] : nodes)
            host.nodes.push_back({PathToText(tree.Path(path)), true, children});
    }
    PhaseOutcome Scan(ScanThreads threads = ScanThreads::FromCores) {
        return RunScanningPhase(host, host.NodeCount(), threads);
    }
    std::string List(int order, std::uint64_t size) const {
        return ScanFolderPaths[order] + "/" + std::to_string(size);
    }
    V AllListed() const { // every line of every scan list, sorted
        V all;
        for (const std::string& folder : ScanFolderPaths)
            for (const std::string& name : Entries(folder))
                for (const std::string& line : ListLines(folder + "/" + name))
                    all.push_back(line);
        std::sort(all.begin(), all.end());
        return all;
    }
};

// A folder's files come before its sub-folders, depth first; a folder that cannot be opened
// gives nothing; only regular files whose paths fit a line are listed, with their bytes.
TEST_F(Scanner, FilesLandInTheListOfTheirExactSizeInVisitingOrder) {
    const std::string x = tree.FileOfSize("root/x/f", 2048, 1);
    const std::string deep = tree.FileOfSize("root/x/deeper/f", 2048, 2);
    const std::string a = tree.FileOfSize("root/a", 2048, 3);
    const std::string e1 = tree.File("root/e1", ""), e2 = tree.File("root/x/e2", "");
    tree.SparseFile("root/big", 5368709120u);
    host.boxes[1] = false; // Huge
    const std::string odd = tree.FileOfSize("root/\xFF-dir/caf\xE9", 10);
    const std::string oddTwin = tree.FileOfSize("root/\xFF-dir/z", 10);
    tree.Link("root/loop", tree.Path("root"));
    tree.FileOfSize("root/cr\rname", 10);
    tree.FileOfSize("root/bad\tdir/inside", 10);
    Nodes({{"missing", 0}, {"root", 0}});

    const PhaseOutcome outcome = Scan();
    EXPECT_TRUE(outcome.verdict == PhaseVerdict::Completed && !outcome.failure);
    EXPECT_EQ(ListLines(List(1, 2048)), (V{a, x, deep}));
    EXPECT_EQ(ListLines(List(0, 0)), (V{e1, e2}));
    EXPECT_TRUE(Entries(ScanFolderPaths[6]).empty());
    EXPECT_EQ(ListLines(List(0, 10)), (V{odd, oddTwin}));
    EXPECT_EQ(host.statusTexts.back(), "Scanning in '" + PathToText(tree.Path("root")) + "'");
}

// A checked node with children stands for its own files. Given twice, through a link, or
// inside another given folder, one folder is listed once, so no file is ever its own duplicate;
// hard links are entries of their own.
TEST_F(Scanner, EveryFolderIsListedOnceWhateverPathReachesIt) {
    const std::string a = tree.FileOfSize("root/a", 10);
    const std::string b = tree.FileOfSize("root/sub/b", 10);
    const std::string hard = tree.Path("root/sub/hard");
    ASSERT_EQ(link(a.c_str(), hard.c_str()), 0);
    tree.Link("alias", tree.Path("root"));
    tree.FileOfSize("root/unticked/c", 10);
    Nodes({{"root", 0}, {"root/sub", 0}, {"alias", 0}, {"root", 0}});
    Scan();
    EXPECT_EQ(AllListed(), (V{a, tree.Path("root/sub/b"), hard, tree.Path("root/unticked/c")}));

    ResetScanStore(); // its own files first, then a sub-folder node, then everything via the link
    Nodes({{"root", 2}, {"root/sub", 0}, {"root/unticked", 0}, {"alias", 0}});
    host.nodes[2].checked = false;
    Scan();
    EXPECT_EQ(AllListed(), (V{tree.Path("alias/unticked/c"), a, b, hard}));
}

// The walk read ahead on a thread of its own gives the lists exactly as one thread does, in the
// same order (it decides which file is first of a group), over more folders than it runs ahead:
// nested and very deep folders, a bind mount of a sub-folder, a link loop, a folder given twice.
TEST_F(Scanner, ReadingAheadOnASecondThreadGivesTheSameListsInTheSameOrder) {
    V expected;
    for (int a = 0; a < 12; ++a)
        for (int b = 0; b < 30; ++b) {
            const std::string folder = "root/a" + std::to_string(a) + "/b" + std::to_string(b);
            expected.push_back(tree.FileOfSize(folder + "/f", 10));
            if (b % 7 == 0) expected.push_back(tree.FileOfSize(folder + "/c/g", 10));
        }
    std::string deep = "root/deep";
    for (int level = 0; level < 150; ++level) // deeper than the handles a walk holds open
        deep += "/d";
    expected.push_back(tree.FileOfSize(deep + "/f", 10));
    tree.Link("root/a3/loop", tree.Path("root"));
    BindMounts mounts;
    if (!mounts.Add(tree.Path("root/a1"), tree.Folder("root/a5/bound")))
        GTEST_SKIP() << "cannot bind-mount here (root only): " << std::strerror(errno);
    Nodes({{"root/a2", 0}, {"root", 0}, {"root/a4", 0}});
    std::sort(expected.begin(), expected.end());

    V lists[2];
    for (const ScanThreads threads : {ScanThreads::One, ScanThreads::Two}) {
        ResetScanStore();
        EXPECT_EQ(Scan(threads).verdict, PhaseVerdict::Completed);
        lists[threads == ScanThreads::Two] = ListLines(List(0, 10));
    }
    EXPECT_EQ(lists[1], lists[0]);
    V sorted = lists[0];
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, expected);

    // Closing the window drops the walk that runs ahead, however far ahead it is.
    ResetScanStore();
    Nodes({{"root", 0}});
    host.onYield = [&](int) { host.closing = true; };
    EXPECT_EQ(Scan(ScanThreads::Two).verdict, PhaseVerdict::Stopped);
}

TEST_F(Scanner, StopTakesEffectAfterTheCurrentNodeARefillIsHarmlessAWriteFailureIsReported) {
    const std::string a = tree.FileOfSize("one/a", 10);
    const std::string c = tree.FileOfSize("one/sub/more/c", 10);
    tree.FileOfSize("two/d", 10);
    Nodes({{"one", 0}, {"two", 0}});
    host.onYield = [&](int) { host.stop = true; }; // inside node 1's subtree
    EXPECT_EQ(Scan().verdict, PhaseVerdict::Stopped);
    EXPECT_EQ(AllListed(), (V{a, c}));

    // A command inside a yield empties the tree: the positions left read as unchecked.
    ResetScanStore();
    host.stop = false;
    host.onYield = [&](int) { host.nodes.clear(); };
    EXPECT_EQ(Scan().verdict, PhaseVerdict::Completed);
    EXPECT_EQ(AllListed(), (V{a, c}));

    // A list that cannot be written is reported.
    ResetScanStore();
    host.onYield = nullptr;
    Nodes({{"one", 0}});
    // (Lists are written behind the job: a failure may be told once the writer is done.)
    const auto scanAndWrite = [&] {
        PhaseOutcome done = Scan();
        StoreWriterService().Drain();
        if (!done.failure) done.failure = StoreWriterService().TakeFailure();
        return done;
    };
    const PhaseOutcome outcome = [&] { return test::FileSizeLimit(0), scanAndWrite(); }();
    ASSERT_TRUE(outcome.verdict == PhaseVerdict::Completed && outcome.failure);
    EXPECT_EQ(outcome.failure->path, List(0, 10));

    // Lists of different classes are written side by side: a failure in either is reported,
    // and the other class's lists are written all the same.
    ResetScanStore();
    const std::string b = tree.FileOfSize("one/b", 10), e = tree.FileOfSize("one/e", 11);
    const std::string f = tree.FileOfSize("one/f", 11);
    const std::string g = tree.FileOfSize("one/g", 2048), h = tree.FileOfSize("one/h", 2048);
    ASSERT_EQ(rmdir(ScanFolderPaths[1].c_str()), 0);
    const PhaseOutcome partly = scanAndWrite();
    ASSERT_TRUE(partly.failure);
    EXPECT_EQ(partly.failure->path, List(1, 2048));
    EXPECT_EQ(AllListed(), (V{a, b, e, f, c}));
}

// A size seen once reaches the store only when a stop leaves its list there, or when memory ran
// short; filtering then still keeps every list of two lines, even one written in parts.
TEST_F(Scanner, ASizeSeenOnceReachesTheStoreOnlyWhenAStopLeavesItThere) {
    const std::string a = tree.FileOfSize("one/a", 10), b = tree.FileOfSize("one/b", 10);
    const std::string c = tree.FileOfSize("one/c", 11), d = tree.FileOfSize("two/d", 11);
    const std::string e = tree.FileOfSize("one/0e", 12);
    Nodes({{"one", 0}});
    Scan();
    EXPECT_EQ(Entries(ScanFolderPaths[0]), (V{"10"}));
    host.stop = true;
    EXPECT_EQ(RunFilteringPhase(host).verdict, PhaseVerdict::Stopped);
    EXPECT_EQ(AllListed(), (V{e, a, b, c}));

    for (const std::size_t bound : {ScanLists::kDefaultMemoryBound, std::size_t{200}}) {
        ServiceSlot<ScanLists>() = std::make_unique<ScanLists>(bound);
        ResetScanStore();
        host.stop = false;
        Nodes({{"one", 0}, {"two", 0}});
        Scan();
        EXPECT_EQ(RunFilteringPhase(host).verdict, PhaseVerdict::Completed);
        EXPECT_EQ(Entries(ScanFolderPaths[0]), (V{"10", "11"})) << bound;
        EXPECT_EQ(AllListed(), (V{a, b, c, d})) << bound;
    }
}

} // namespace
