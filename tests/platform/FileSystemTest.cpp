#include "FileSystem.h"
#include "TestTree.h"

#include <cerrno>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace quilder;
using quilder::test::TestTree;
using ::testing::UnorderedElementsAre;

namespace {

template <class Entries> std::vector<std::string> Names(const Entries& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries)
        names.push_back(e.name);
    return names;
}

TEST(FileSystemListing, OnlyRegularFilesAndRealSubFolders) {
    TestTree tree;
    tree.File("a.txt", "abc");
    tree.File(".hidden", "");
    tree.Folder("sub");
    tree.Folder(".hiddendir");
    tree.Link("link-to-file", tree.Path("a.txt"));
    tree.Link("link-to-dir", tree.Path("sub"));
    tree.Fifo("pipe");
    FileSystem fs;
    FolderListing listing;
    ASSERT_TRUE(fs.ListFolder(tree.Root(), listing));
    EXPECT_THAT(Names(listing.files), UnorderedElementsAre("a.txt", ".hidden"));
    EXPECT_THAT(Names(listing.folders), UnorderedElementsAre("sub", ".hiddendir"));
    for (const FileEntry& f : listing.files)
        EXPECT_EQ(f.size, f.name == "a.txt" ? 3u : 0u);
    std::vector<std::string> names;
    ASSERT_TRUE(fs.ListFileNames(tree.Root(), names));
    EXPECT_THAT(names, UnorderedElementsAre("a.txt", ".hidden"));
}

// Entries as the system would describe them in odd moments: one vanishes between the listing
// and its status, one is a bind mount (same device), one a btrfs sub-volume (another device,
// not a mount), one a mount on a system that cannot tell a mount's root.
class OddEntries : public FileSystem {
protected:
    bool StatusAt(int folder, const char* name, EntryStatus& out) override {
        const std::string n(name);
        if (n == "vanished") return errno = ENOENT, false;
        if (!FileSystem::StatusAt(folder, name, out)) return false;
        out.mountRoot = n == "bind";
        if (n == "subvolume" || n == "old-mount") ++out.id.device;
        if (n == "old-mount") out.mountRootKnown = false;
        return true;
    }
};

TEST(FileSystemListing, MountPointsAreLeftOutAndAVanishedEntryOnlyItself) {
    TestTree tree;
    for (const char* name : {"bind", "subvolume", "old-mount", "plain"})
        tree.Folder(name);
    tree.File("vanished", "x");
    tree.File("stays", "x");
    OddEntries fs;
    FolderListing listing;
    ASSERT_TRUE(fs.ListFolder(tree.Root(), listing));
    EXPECT_THAT(Names(listing.files), UnorderedElementsAre("stays"));
    EXPECT_THAT(Names(listing.folders), UnorderedElementsAre("subvolume", "plain"));
}

TEST(FileSystemListing, ABindMountIsNotEntered) {
    if (geteuid() != 0) GTEST_SKIP() << "a bind mount needs root";
    TestTree tree;
    tree.File("elsewhere/f", "x");
    const std::string target = tree.Folder("root/bound");
    if (mount(tree.Path("elsewhere").c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "cannot bind-mount here: " << std::strerror(errno);
    FileSystem fs;
    FolderListing listing;
    const bool listed = fs.ListFolder(tree.Path("root"), listing);
    umount2(target.c_str(), MNT_DETACH);
    ASSERT_TRUE(listed);
    EXPECT_TRUE(listing.folders.empty());
}

TEST(FileSystemLookUp, OnlyAbsolutePathsOfRegularFilesAndDoubledSeparatorsAllowed) {
    TestTree tree;
    tree.File("docs/report.txt", "hello");
    tree.Link("l", tree.Path("docs/report.txt"));
    FileSystem fs;
    // A doubled separator (how a root-folder row writes its path) names the same file.
    const auto d = fs.LookUpFile(tree.Path("docs") + "//report.txt");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->name, "report.txt");
    EXPECT_EQ(d->folder, tree.Path("docs"));
    EXPECT_EQ(d->size, 5u);
    for (const std::string& path : {std::string("docs/report.txt"), tree.Path("l"), tree.Fifo("p"),
                                    tree.Root(), tree.Path("gone")})
        EXPECT_FALSE(fs.LookUpFile(path)) << path;
}

TEST(FileSystemLookUp, DateTextLeavesOutMidnight) {
    const QDate day(2024, 3, 5);
    const qint64 midnight = QDateTime(day, QTime(0, 0)).toSecsSinceEpoch();
    const QString date = QLocale::system().toString(day, QLocale::ShortFormat);
    for (int round = 0; round < 2; ++round) { // remembered or not, the same text
        EXPECT_EQ(ModifiedDateText(std::int64_t{midnight}), date);
        EXPECT_TRUE(ModifiedDateText(std::int64_t{midnight + 45015}).startsWith(date + " 12"));
    }
}

TEST(FileSystemChanges, DeletesNeverFollowLinks) {
    TestTree tree;
    const std::string keep = tree.File("outside/precious", "data");
    tree.File("store/a/b/c.txt", "x");
    tree.Link("store/a/link-out", tree.Path("outside"));
    tree.Link("store/file-link", keep);
    tree.Link("link-store", tree.Path("outside"));
    FileSystem fs;
    EXPECT_TRUE(fs.DeleteFolder(tree.Path("store")));
    EXPECT_FALSE(fs.IsFolder(tree.Path("store")));
    const int root = fs.OpenFolder(tree.Root());
    EXPECT_LT(fs.OpenFolderAt(root, "link-store"), 0);
    EXPECT_TRUE(fs.RemoveEntryAt(root, "link-store"));
    fs.CloseFolder(root);
    EXPECT_EQ(TestTree::Read(keep), "data");
}

TEST(FileSystemReads, PositionedReadsAndNoHangOnFifo) {
    TestTree tree;
    FileSystem fs;
    ReadHandle file(fs, tree.File("f", "0123456789"));
    ASSERT_TRUE(file.IsOpen());
    char buffer[8] = {};
    EXPECT_EQ(file.ReadAt(buffer, 3, 4), 3);
    EXPECT_EQ(std::string(buffer, 3), "456");
    EXPECT_EQ(file.ReadAt(buffer, 8, 7), 3);                  // short only at the end
    EXPECT_FALSE(ReadHandle(fs, tree.Fifo("pipe")).IsOpen()); // would block forever if read
    EXPECT_FALSE(ReadHandle(fs, tree.Root()).IsOpen());
}

} // namespace
