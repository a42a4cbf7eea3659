#include "Scanner.h"
#include "FakeEngineHost.h"
#include "PathText.h"
#include "StoreFixture.h"

#include <set>

using namespace quilder;
using quilder::test::FakeEngineHost;
using V = std::vector<std::string>;

namespace {

class Scanner : public test::StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        ResetScanStore();
    }
    void AddNode(const std::string& path, bool checked = true, int children = 0) {
        host.nodes.push_back({PathToText(path), checked, children});
    }
    PhaseVerdict Scan() { return RunScanningPhase(host, host.NodeCount()); }
    std::string List(int order, std::uint64_t size) const {
        return ScanFolderPaths[order] + "/" + std::to_string(size);
    }
    // Every line of every scan list.
    std::set<std::string> AllListed() const {
        std::set<std::string> all;
        for (const std::string& folder : ScanFolderPaths)
            for (const std::string& name : Entries(folder))
                for (const std::string& line : ListLines(folder + "/" + name))
                    all.insert(line);
        return all;
    }

    FakeEngineHost host;
};

TEST_F(Scanner, FilesLandInTheListOfTheirExactSizeAndClass) {
    const std::string a = tree.FileOfSize("root/a", 2048, 1);
    const std::string b = tree.FileOfSize("root/sub/b", 2048, 2);
    const std::string e1 = tree.File("root/e1", "");
    const std::string e2 = tree.File("root/sub/e2", "");
    const std::string lone = tree.FileOfSize("root/lone", 100);
    const std::string big = tree.SparseFile("root/big", 5368709120u);
    AddNode(tree.Path("root"));

    EXPECT_EQ(Scan(), PhaseVerdict::Completed);
    EXPECT_EQ(ListLines(List(1, 2048)), (V{a, b}));
    EXPECT_EQ(ListLines(List(0, 0)), (V{e1, e2}));
    EXPECT_EQ(ListLines(List(0, 100)), (V{lone}));
    EXPECT_EQ(ListLines(ScanFolderPaths[6] + "/5368709120"), (V{big}));
    EXPECT_EQ(Entries(ScanFolderPaths[0]), (V{"0", "100"}));
    EXPECT_EQ(host.statusTexts.back(), "Scanning in '" + PathToText(tree.Path("root")) + "'");
}

TEST_F(Scanner, FolderFilesComeBeforeSubFoldersDepthFirst) {
    // One size everywhere, so the single list shows the visiting order.
    std::string expected_root = tree.FileOfSize("root/f", 50);
    tree.FileOfSize("root/x/f", 50);
    tree.FileOfSize("root/x/deeper/f", 50);
    tree.FileOfSize("root/y/f", 50);
    tree.FileOfSize("root/y/deeper/f", 50);
    AddNode(tree.Path("root"));
    Scan();

    // Sub-folders follow the order in which the file system lists them.
    FolderListing rootListing;
    ASSERT_TRUE(FileSystemService().ListFolder(tree.Path("root"), rootListing));
    V expected{expected_root};
    for (const FolderEntry& sub : rootListing.folders) {
        expected.push_back(sub.path + "/f");
        expected.push_back(sub.path + "/deeper/f");
    }
    EXPECT_EQ(ListLines(List(0, 50)), expected);
    EXPECT_GE(host.yields, 4 + 1); // after every sub-folder and after the node
}

TEST_F(Scanner, CheckedNodeWithChildrenStandsForItsOwnFilesOnly) {
    const std::string r = tree.FileOfSize("root/r", 10);
    const std::string a = tree.FileOfSize("root/A/a", 10);
    const std::string deep = tree.FileOfSize("root/A/deep/d", 10);
    tree.FileOfSize("root/B/b", 10);
    tree.FileOfSize("root/C/c", 10); // not a node: its parent has loaded children
    AddNode(tree.Path("root"), true, 3);
    AddNode(tree.Path("root/A"));
    AddNode(tree.Path("root/B"), false);
    AddNode(tree.Path("root/C"), false);

    Scan();
    EXPECT_EQ(ListLines(List(0, 10)), (V{r, a, deep}));
    EXPECT_EQ(host.statusTexts.size(), 2);
    EXPECT_EQ(host.yields, 4 + 1); // each node position, and deep's parent
}

TEST_F(Scanner, ClassBoxIsReadAnewForEveryFile) {
    tree.FileOfSize("root/one", 10, 1);
    tree.FileOfSize("root/two", 10, 2);
    tree.FileOfSize("root/three", 10, 3);
    const std::string small = tree.FileOfSize("root/vs", 1024);
    AddNode(tree.Path("root"));
    int reads = 0;
    host.boxTicked = [&](int box) {
        if (box == 6) return true;
        return box == 7 && ++reads == 2; // Tiny ticked for one file only
    };
    Scan();
    EXPECT_EQ(reads, 3);
    EXPECT_EQ(ListLines(List(0, 10)).size(), 1u);
    EXPECT_EQ(ListLines(List(1, 1024)), (V{small}));
    EXPECT_EQ(Entries(ScanFolderPaths[2]).size() + Entries(ScanFolderPaths[6]).size(), 0u);
}

TEST_F(Scanner, StopTakesEffectOnlyAfterTheCurrentNode) {
    const std::string a = tree.FileOfSize("one/a", 10);
    const std::string b = tree.FileOfSize("one/sub/b", 10);
    const std::string c = tree.FileOfSize("one/sub/more/c", 10);
    tree.FileOfSize("two/d", 10);
    AddNode(tree.Path("one"));
    AddNode(tree.Path("two"));
    // The user chooses Stop during the first yield, inside node 1's subtree.
    host.onYield = [&](int) { host.stop = true; };

    EXPECT_EQ(Scan(), PhaseVerdict::Stopped);
    EXPECT_EQ(std::set<std::string>(AllListed()), (std::set<std::string>{a, b, c}));
    EXPECT_EQ(host.intervals, std::vector<int>{0});
    EXPECT_EQ(host.statusTexts.back(), "Scanning in '" + PathToText(tree.Path("one")) + "'");

    // A stop still pending ends the next phase after its first position, checked or not.
    ResetScanStore();
    host.nodes.front().checked = false;
    host.statusTexts.clear();
    EXPECT_EQ(Scan(), PhaseVerdict::Stopped);
    EXPECT_TRUE(AllListed().empty());
    EXPECT_TRUE(host.statusTexts.isEmpty());
}

TEST_F(Scanner, OnlyRegularFilesWithStorablePathsAreListed) {
    const std::string real = tree.FileOfSize("root/real", 10);
    tree.Link("root/link-to-file", real);
    tree.Link("root/loop", tree.Path("root"));
    tree.Link("root/dangling", tree.Path("nowhere"));
    tree.Fifo("root/pipe");
    tree.FileOfSize("root/cr\rname", 10);
    tree.FileOfSize("root/lf\nname", 10);
    tree.FileOfSize("root/tab\tname", 10);
    tree.FileOfSize("root/bad\ndir/inside", 10);
    AddNode(tree.Path("root"));
    EXPECT_EQ(Scan(), PhaseVerdict::Completed);
    EXPECT_EQ(AllListed(), std::set<std::string>{real});
}

TEST_F(Scanner, NonUtf8NamesKeepTheirBytes) {
    const std::string folder = tree.Folder("root/\xFF\xFE-dir");
    const std::string file = tree.FileOfSize("root/\xFF\xFE-dir/caf\xE9.bin", 10);
    AddNode(folder); // the node key is the lossless text of those bytes
    Scan();
    EXPECT_EQ(ListLines(List(0, 10)), V{file});
}

// A file-system service that cannot open one folder, as for a folder without access rights.
class BlockedFolder : public FileSystem {
public:
    explicit BlockedFolder(std::string blocked) : blocked_(std::move(blocked)) {}
    bool ListFolder(const std::string& path, FolderListing& out, bool withFolders) override {
        if (path == blocked_) {
            out = {};
            return false;
        }
        return FileSystem::ListFolder(path, out, withFolders);
    }

private:
    std::string blocked_;
};

TEST_F(Scanner, FolderThatCannotBeOpenedContributesNothingAndTheScanGoesOn) {
    const std::string before = tree.FileOfSize("root/a", 10);
    tree.FileOfSize("root/locked/b", 10);
    tree.FileOfSize("root/locked/inner/c", 10);
    const std::string after = tree.FileOfSize("root/open/d", 10);
    const std::string other = tree.FileOfSize("other/e", 10);
    ReplaceFileSystemService(std::make_unique<BlockedFolder>(tree.Path("root/locked")));
    AddNode(tree.Path("root"));
    AddNode(tree.Path("missing-folder"));
    AddNode(tree.Path("other"));
    EXPECT_EQ(Scan(), PhaseVerdict::Completed);
    EXPECT_EQ(AllListed(), (std::set<std::string>{before, after, other}));
}

} // namespace
