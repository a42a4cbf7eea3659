#include "FileSystem.h"
#include "TestTree.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
    tree.Link("dangling", tree.Path("nowhere"));
    tree.Fifo("pipe");

    FileSystem fs;
    FolderListing listing;
    ASSERT_TRUE(fs.ListFolder(tree.Root(), listing));
    EXPECT_THAT(Names(listing.files), UnorderedElementsAre("a.txt", ".hidden"));
    EXPECT_THAT(Names(listing.folders), UnorderedElementsAre("sub", ".hiddendir"));
    for (const FileEntry& f : listing.files) {
        EXPECT_EQ(f.path, tree.Root() + "/" + f.name);
        EXPECT_EQ(f.size, f.name == "a.txt" ? 3u : 0u);
    }
    std::vector<std::string> names;
    ASSERT_TRUE(fs.ListFileNames(tree.Root(), names));
    EXPECT_THAT(names, UnorderedElementsAre("a.txt", ".hidden"));
}

TEST(FileSystemListing, MountPointsAreNotSubFolders) {
    // Every mounted volume is reached through its own drive, so /proc, /sys and network mounts
    // never become part of a walk of the root folder.
    FileSystem fs;
    FolderListing listing;
    ASSERT_TRUE(fs.ListFolder("/", listing));
    struct stat root {};
    ASSERT_EQ(stat("/", &root), 0);
    int mountPoints = 0;
    for (const char* name : {"proc", "sys", "dev"}) {
        struct stat st {};
        if (stat((std::string("/") + name).c_str(), &st) != 0 || st.st_dev == root.st_dev) continue;
        ++mountPoints;
        EXPECT_THAT(Names(listing.folders), ::testing::Not(::testing::Contains(name)));
    }
    EXPECT_GT(mountPoints, 0) << "no mount point below / to check against";
    for (const FolderEntry& folder : listing.folders)
        EXPECT_EQ(folder.path, "/" + folder.name);
}

TEST(FileSystemLookUp, OnlyAbsolutePathsOfRegularFilesAndDoubledSeparatorsAllowed) {
    TestTree tree;
    tree.File("docs/report.txt", "hello");
    tree.Link("l", tree.Path("docs/report.txt"));
    tree.Fifo("p");
    FileSystem fs;
    // A doubled separator (how a root-folder row writes its path) names the same file.
    const auto d = fs.LookUpFile(tree.Path("docs") + "//report.txt");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->name, "report.txt");
    EXPECT_EQ(d->folder, tree.Path("docs"));
    EXPECT_EQ(d->size, 5u);
    for (const std::string& path : {std::string(), std::string("docs/report.txt"), tree.Path("l"),
                                    tree.Path("p"), tree.Root(), tree.Path("gone")})
        EXPECT_FALSE(fs.LookUpFile(path)) << path;
}

TEST(FileSystemLookUp, DateTextLeavesOutMidnight) {
    const QDate day(2024, 3, 5);
    const QString atMidnight = ModifiedDateText(QDateTime(day, QTime(0, 0)));
    EXPECT_EQ(atMidnight, QLocale::system().toString(day, QLocale::ShortFormat));
    const QDateTime noon(day, QTime(12, 30, 15));
    const QString atNoon = ModifiedDateText(noon);
    // Seconds, but no zone name (the column would cut it off).
    EXPECT_TRUE(atNoon.startsWith(atMidnight + " ") && atNoon.contains("15"))
        << atNoon.toStdString();
    EXPECT_FALSE(atNoon.contains(noon.timeZoneAbbreviation())) << atNoon.toStdString();
    // From seconds, remembered or not, the text is the same as from the local date and time.
    const qint64 midnight = QDateTime(day, QTime(0, 0)).toSecsSinceEpoch();
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(ModifiedDateText(std::int64_t{midnight}), atMidnight);
        EXPECT_EQ(ModifiedDateText(std::int64_t{midnight + 45015}), atNoon);
    }
}

TEST(FileSystemChanges, DeletesNeverFollowLinksAndCopiesReplace) {
    TestTree tree;
    const std::string keep = tree.File("outside/precious", "data");
    tree.File("store/a/b/c.txt", "x");
    tree.Link("store/a/link-out", tree.Path("outside"));
    tree.Link("store/file-link", keep);
    FileSystem fs;
    EXPECT_TRUE(fs.DeleteFolder(tree.Path("store")));
    EXPECT_FALSE(fs.IsFolder(tree.Path("store")));
    EXPECT_EQ(TestTree::Read(keep), "data");
    EXPECT_FALSE(fs.DeleteFile(tree.Path("outside"))); // a folder is not a file

    const std::string to = tree.File("to", "old content that is longer");
    EXPECT_TRUE(fs.CopyFile(keep, to));
    EXPECT_EQ(TestTree::Read(to), "data");
}

TEST(FileSystemReads, PositionedReadsAndNoHangOnFifo) {
    TestTree tree;
    const std::string path = tree.File("f", "0123456789");
    FileSystem fs;
    ReadHandle file(fs, path);
    ASSERT_TRUE(file.IsOpen());
    char buffer[8] = {};
    EXPECT_EQ(file.ReadAt(buffer, 3, 4), 3);
    EXPECT_EQ(std::string(buffer, 3), "456");
    EXPECT_EQ(file.ReadAt(buffer, 8, 7), 3); // short only at the end
    EXPECT_EQ(file.ReadAt(buffer, 8, 100), 0);
    EXPECT_FALSE(ReadHandle(fs, tree.Fifo("pipe")).IsOpen()); // would block forever if read
    EXPECT_FALSE(ReadHandle(fs, tree.Root()).IsOpen());
}

} // namespace
