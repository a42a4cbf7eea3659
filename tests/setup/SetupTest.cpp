#include "ClassSelector.h"
#include "FileSystem.h"
#include "FolderTree.h"
#include "PathText.h"
#include "ProtectedFolders.h"
#include "TestTree.h"

#include <QCheckBox>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

namespace quilder {
namespace {

// A file-system service whose folder listings can be made to fail.
class FlakyFileSystem : public FileSystem {
public:
    bool ListFolder(const std::string& path, FolderListing& out, bool withFolders) override {
        ++listings;
        return !fail && FileSystem::ListFolder(path, out, withFolders);
    }
    bool fail = false;
    int listings = 0;
};

class FolderTreeTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"a/x/deep", "a/y", "b/z"})
            disk.Folder(folder);
        disk.File("a/file", "not a folder");
        auto fs = std::make_unique<FlakyFileSystem>();
        flaky = fs.get();
        // The same volume listed twice gets one node; a volume without a name shows its key.
        fs->ReplaceDrives({{disk.Root(), QStringLiteral("DATA (drive)")},
                           {other.Root(), PathToText(other.Root())},
                           {disk.Root(), QStringLiteral("again")}});
        ReplaceFileSystemService(std::move(fs));
        tree.resize(400, 600);
        tree.show();
        tree.FillFolderTree();
    }
    void TearDown() override { ReleaseFileSystemService(); }

    QTreeWidgetItem* Node(std::string_view relative) {
        return tree.FindNode(PathToText(relative.empty() ? disk.Root() : disk.Path(relative)));
    }
    void Click(QTreeWidgetItem* node) {
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(node).center());
    }

    test::TestTree disk;
    test::TestTree other;
    FlakyFileSystem* flaky = nullptr;
    FolderTree tree;
};

TEST_F(FolderTreeTest, DrivesOnceEachFirstClickLoadsAndExpandsSecondCollapses) {
    ASSERT_EQ(tree.NodeCount(), 2);
    EXPECT_EQ(tree.Node(1)->text(0), QStringLiteral("DATA (drive)"));
    EXPECT_EQ(tree.Node(2)->text(0), QStringLiteral(" (") + PathToText(other.Root()) + ")");
    QTreeWidgetItem* drive = Node("");
    Click(drive);
    EXPECT_EQ(drive->childCount(), 2); // a and b, never the file
    EXPECT_TRUE(drive->isExpanded());
    // Children sit at consecutive positions behind the drives.
    EXPECT_TRUE(tree.Node(3)->parent() == drive && tree.Node(4)->parent() == drive);
    flaky->fail = true; // a folder that cannot be read stays unloaded and is tried again
    Click(Node("a"));
    EXPECT_EQ(Node("a")->childCount(), 0);
    flaky->fail = false;
    Click(Node("a"));
    EXPECT_EQ(Node("a")->childCount(), 2);
    const int listings = flaky->listings;
    Click(drive);
    EXPECT_FALSE(drive->isExpanded());
    EXPECT_EQ(flaky->listings, listings);
    EXPECT_EQ(tree.NodeCount(), 6);
}

TEST_F(FolderTreeTest, CheckingLoadsChecksAndPropagatesAtEveryLoadedDepth) {
    QTreeWidgetItem* drive = Node("");
    drive->setCheckState(0, Qt::Checked); // as the user's click on the box
    ASSERT_EQ(drive->childCount(), 2);
    EXPECT_FALSE(drive->isExpanded());
    EXPECT_TRUE(FolderTree::Checked(Node("a")) && FolderTree::Checked(Node("b")));

    Click(drive);
    Node("b")->setCheckState(0, Qt::Unchecked);
    Click(Node("a")); // loaded by a click: the new children take their parent's check mark
    Click(Node("a/x"));
    ASSERT_TRUE(Node("a/x/deep") && Node("b/z"));
    EXPECT_TRUE(FolderTree::Checked(Node("a/x/deep")) && !FolderTree::Checked(Node("b/z")));

    drive->setCheckState(0, Qt::Unchecked);
    drive->setCheckState(0, Qt::Checked);
    for (const char* folder : {"a", "a/x", "a/x/deep", "a/y", "b/z"})
        EXPECT_TRUE(FolderTree::Checked(Node(folder))) << folder;
    // Downward only: unchecking a child leaves its parent.
    Node("a/x")->setCheckState(0, Qt::Unchecked);
    EXPECT_FALSE(FolderTree::Checked(Node("a/x/deep")));
    EXPECT_TRUE(FolderTree::Checked(Node("a")));
}

TEST_F(FolderTreeTest, SubFoldersShowSortedByNameAsAFileManagerSortsThem) {
    for (const char* folder : {"beta", "item10", "Échelle", "Alpha", "item9", "delta"})
        other.Folder(folder);
    QTreeWidgetItem* drive = tree.FindNode(PathToText(other.Root()));
    Click(drive);
    ASSERT_EQ(drive->childCount(), 6);
    // Case aside, accents in their letter's place, numbers by value; positions follow suit.
    const QStringList sorted{"Alpha", "beta", "delta", "Échelle", "item9", "item10"};
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(drive->child(i)->text(0) == sorted[i] && tree.Node(3 + i) == drive->child(i))
            << i << " " << drive->child(i)->text(0).toStdString();
}

// The pop-up protects a node's folder and stops protecting it; a protected node shows a lock and
// says so in its tooltip, also after the tree is filled anew (New Job).
TEST_F(FolderTreeTest, PopUpProtectsAFolderAndTheNodeShowsItEvenAfterARefill) {
    ProtectedFolders folders;
    tree.SetProtectedFolders(&folders);
    QObject::connect(&tree, &FolderTree::protectionToggled, [&](const QString& key, bool on) {
        on ? folders.Protect(key) : folders.Unprotect(key);
    });
    Click(Node(""));
    QTreeWidgetItem* a = Node("a");
    const qint64 plain = a->icon(0).cacheKey();
    QAction* item = tree.NodeMenu(a).actions().value(0);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), "Protect This Folder");
    item->trigger();
    EXPECT_TRUE(folders.IsProtected(PathToText(disk.Path("a"))));
    EXPECT_NE(a->icon(0).cacheKey(), plain);
    EXPECT_EQ(a->toolTip(0), PathToText(disk.Path("a")) +
                                 " (protected: its files are never "
                                 "deleted, moved to the trash or replaced)");
    EXPECT_TRUE(Node("b")->toolTip(0).isEmpty());

    tree.FillFolderTree();
    Click(Node(""));
    EXPECT_FALSE(Node("a")->toolTip(0).isEmpty());
    EXPECT_EQ(tree.NodeMenu(Node("a")).actions().value(0)->text(), "Stop Protecting This Folder");
    item->trigger();
    EXPECT_FALSE(folders.IsProtected(PathToText(disk.Path("a"))));
    EXPECT_EQ(Node("a")->icon(0).cacheKey(), Node("b")->icon(0).cacheKey());
    EXPECT_TRUE(Node("a")->toolTip(0).isEmpty());
    EXPECT_EQ(tree.NodeMenu(Node("a")).actions().value(0)->text(), "Protect This Folder");
}

TEST(ClassSelectorTest, AllFilesTicksAndLocksTheClassBoxes) {
    QWidget frame;
    ClassSelector selector(frame);
    const auto classes = [&](bool ticked, bool enabled) {
        bool all = true;
        for (int box = 1; box <= 7; ++box)
            all &= selector.Ticked(box) == ticked && selector.Box(box).isEnabled() == enabled;
        return all;
    };
    EXPECT_TRUE(selector.Box(0).isChecked() && classes(true, false));
    frame.show();
    QTest::mouseClick(&selector.Box(0), Qt::LeftButton);
    EXPECT_TRUE(classes(false, true));
    selector.Box(3).setChecked(true);
    EXPECT_TRUE(selector.Ticked(3) && !selector.Ticked(4));
    // A program's change of box 0 (New Job) acts like a click.
    selector.Box(0).setChecked(true);
    EXPECT_TRUE(classes(true, false));
}

} // namespace
} // namespace quilder
