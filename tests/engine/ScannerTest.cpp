#include "Scanner.h"
#include "PathText.h"
#include "StoreFixture.h"

#include <unistd.h>

using namespace quilder;
using quilder::test::V;

namespace {

class Scanner : public test::StoreFixture {
protected:
    void AddNode(const std::string& relative, bool checked = true, int children = 0) {
        host.nodes.push_back({PathToText(tree.Path(relative)), checked, children});
    }
    PhaseOutcome Scan() { return RunScanningPhase(host, host.NodeCount()); }
    std::string List(int order, std::uint64_t size) const {
        return ScanFolderPaths[order] + "/" + std::to_string(size);
    }
    // Every line of every scan list, sorted.
    V AllListed() const {
        V all;
        for (const std::string& folder : ScanFolderPaths)
            for (const std::string& name : Entries(folder))
                for (const std::string& line : ListLines(folder + "/" + name))
                    all.push_back(line);
        std::sort(all.begin(), all.end());
        return all;
    }
};

TEST_F(Scanner, FilesLandInTheListOfTheirExactSizeFolderFilesFirstDepthFirst) {
    const std::string e1 = tree.File("root/e1", "");
    const std::string x = tree.FileOfSize("root/x/f", 2048, 1);
    const std::string deep = tree.FileOfSize("root/x/deeper/f", 2048, 2);
    const std::string a = tree.FileOfSize("root/a", 2048, 3);
    const std::string e2 = tree.File("root/x/e2", "");
    const std::string big = tree.SparseFile("root/big", 5368709120u);
    AddNode("root");

    const PhaseOutcome outcome = Scan();
    EXPECT_EQ(outcome.verdict, PhaseVerdict::Completed);
    EXPECT_FALSE(outcome.failure);
    EXPECT_EQ(ListLines(List(1, 2048)), (V{a, x, deep}));
    EXPECT_EQ(ListLines(List(0, 0)), (V{e1, e2}));
    EXPECT_EQ(ListLines(List(6, 5368709120u)), V{big});
    EXPECT_EQ(host.statusTexts, QStringList{"Scanning in '" + PathToText(tree.Path("root")) + "'"});
}

TEST_F(Scanner, CheckedNodeWithChildrenStandsForItsOwnFilesOnly) {
    const std::string r = tree.FileOfSize("root/r", 10);
    const std::string a = tree.FileOfSize("root/A/a", 10);
    const std::string deep = tree.FileOfSize("root/A/deep/d", 10);
    tree.FileOfSize("root/B/b", 10);
    AddNode("root", true, 2);
    AddNode("root/A");
    AddNode("root/B", false);
    Scan();
    EXPECT_EQ(ListLines(List(0, 10)), (V{r, a, deep}));
}

// Given twice, through a link, or inside another given folder: one folder is listed once, so no
// file is ever its own duplicate. Hard links are entries of their own.
TEST_F(Scanner, AFolderReachedTwiceIsListedOnce) {
    const std::string a = tree.FileOfSize("root/a", 10);
    const std::string b = tree.FileOfSize("root/sub/b", 10);
    const std::string hard = tree.Path("root/sub/hard");
    ASSERT_EQ(link(a.c_str(), hard.c_str()), 0);
    tree.Link("alias", tree.Path("root"));
    for (const char* node : {"root", "root/sub", "alias", "root"})
        AddNode(node);
    Scan();
    EXPECT_EQ(AllListed(), (V{a, b, hard}));

    ResetScanStore(); // its own files first, then its whole subtree through the link
    host.nodes.clear();
    AddNode("root", true, 1);
    AddNode("alias");
    Scan();
    EXPECT_EQ(AllListed(), (V{tree.Path("alias/sub/b"), tree.Path("alias/sub/hard"), a}));
}

TEST_F(Scanner, ClassBoxIsReadAnewForEveryFile) {
    tree.FileOfSize("root/one", 10, 1);
    tree.FileOfSize("root/two", 10, 2);
    const std::string small = tree.FileOfSize("root/vs", 1024);
    AddNode("root");
    int reads = 0;
    host.boxTicked = [&](int box) { return box == 6 || (box == 7 && ++reads == 2); };
    Scan();
    EXPECT_EQ(reads, 2); // Tiny ticked for the second file only
    EXPECT_EQ(AllListed().size(), 2u);
    EXPECT_EQ(ListLines(List(1, 1024)), V{small});
}

TEST_F(Scanner, StopTakesEffectOnlyAfterTheCurrentNodeAndATreeRefillIsHarmless) {
    const std::string a = tree.FileOfSize("one/a", 10);
    const std::string c = tree.FileOfSize("one/sub/more/c", 10);
    tree.FileOfSize("two/d", 10);
    AddNode("one");
    AddNode("two");
    host.onYield = [&](int) { host.stop = true; }; // inside node 1's subtree
    EXPECT_EQ(Scan().verdict, PhaseVerdict::Stopped);
    EXPECT_EQ(AllListed(), (V{a, c}));
    EXPECT_EQ(host.intervals, std::vector<int>{0});

    // A command inside a yield empties the tree: the positions left read as unchecked.
    ResetScanStore();
    host.stop = false;
    host.onYield = [&](int) { host.nodes.clear(); };
    EXPECT_EQ(Scan().verdict, PhaseVerdict::Completed);
    EXPECT_EQ(AllListed(), (V{a, c}));
}

TEST_F(Scanner, OnlyRegularFilesWithStorablePathsAreListedAndNamesKeepTheirBytes) {
    const std::string real = tree.FileOfSize("root/real", 10);
    const std::string odd = tree.FileOfSize("root/\xFF\xFE-dir/caf\xE9", 10);
    tree.Link("root/link-to-file", real);
    tree.Link("root/loop", tree.Path("root"));
    tree.Fifo("root/pipe");
    tree.FileOfSize("root/cr\rname", 10);
    tree.FileOfSize("root/tab\tname", 10);
    tree.FileOfSize("root/bad\ndir/inside", 10);
    AddNode("root");
    Scan();
    EXPECT_EQ(AllListed(), (V{real, odd}));
}

// A file-system service that cannot open one folder, as for a folder without access rights.
class BlockedFolder : public FileSystem {
public:
    explicit BlockedFolder(std::string blocked) : blocked_(std::move(blocked)) {}
    bool ListFolder(const std::string& path, FolderListing& out, bool withFolders) override {
        return path != blocked_ && FileSystem::ListFolder(path, out, withFolders);
    }

private:
    std::string blocked_;
};

TEST_F(Scanner, FolderThatCannotBeOpenedContributesNothingAndTheScanGoesOn) {
    const std::string before = tree.FileOfSize("root/a", 10);
    tree.FileOfSize("root/locked/inner/c", 10);
    const std::string after = tree.FileOfSize("root/open/d", 10);
    ReplaceFileSystemService(std::make_unique<BlockedFolder>(tree.Path("root/locked")));
    AddNode("root");
    AddNode("missing-folder");
    EXPECT_EQ(Scan().verdict, PhaseVerdict::Completed);
    EXPECT_EQ(AllListed(), (V{before, after}));
}

TEST_F(Scanner, AListThatCannotBeWrittenIsReported) {
    tree.FileOfSize("root/a", 10);
    AddNode("root");
    PhaseOutcome outcome;
    {
        const test::FileSizeLimit full(0);
        outcome = Scan();
    }
    EXPECT_EQ(outcome.verdict, PhaseVerdict::Completed);
    ASSERT_TRUE(outcome.failure);
    EXPECT_EQ(outcome.failure->path, List(0, 10));
    EXPECT_FALSE(outcome.failure->reason.isEmpty());
    EXPECT_TRUE(Entries(ScanFolderPaths[0]).empty());
}

} // namespace
