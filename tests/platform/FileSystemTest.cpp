#include "FileSystem.h"
#include "TestTree.h"

#include <QTimeZone>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace quilder;
using quilder::test::TestTree;
using ::testing::UnorderedElementsAre;

namespace {

std::vector<std::string> Names(const std::vector<FileEntry>& files) {
    std::vector<std::string> names;
    for (const auto& f : files)
        names.push_back(f.name);
    return names;
}

std::vector<std::string> Names(const std::vector<FolderEntry>& folders) {
    std::vector<std::string> names;
    for (const auto& f : folders)
        names.push_back(f.name);
    return names;
}

void MakeSocket(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    path.copy(address.sun_path, path.size());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
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
    MakeSocket(tree.Path("sock"));

    FileSystem fs;
    FolderListing listing;
    ASSERT_TRUE(fs.ListFolder(tree.Root(), listing));
    EXPECT_THAT(Names(listing.files), UnorderedElementsAre("a.txt", ".hidden"));
    EXPECT_THAT(Names(listing.folders), UnorderedElementsAre("sub", ".hiddendir"));
    for (const FileEntry& f : listing.files) {
        EXPECT_EQ(f.path, tree.Root() + "/" + f.name);
        EXPECT_EQ(f.size, f.name == "a.txt" ? 3u : 0u);
    }

    ASSERT_TRUE(fs.ListFolder(tree.Root(), listing, false));
    EXPECT_EQ(listing.files.size(), 2u);
    EXPECT_TRUE(listing.folders.empty());

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
        const std::string path = std::string("/") + name;
        if (stat(path.c_str(), &st) != 0 || st.st_dev == root.st_dev) continue;
        ++mountPoints;
        EXPECT_THAT(Names(listing.folders), ::testing::Not(::testing::Contains(name)));
    }
    EXPECT_GT(mountPoints, 0) << "no mount point below / to check against";
    for (const FolderEntry& folder : listing.folders) {
        struct stat st {};
        ASSERT_EQ(lstat(folder.path.c_str(), &st), 0) << folder.path;
        EXPECT_EQ(st.st_dev, root.st_dev) << folder.path;
        EXPECT_EQ(folder.path, "/" + folder.name);
    }
}

TEST(FileSystemListing, FolderThatCannotBeOpenedGivesNothing) {
    TestTree tree;
    FileSystem fs;
    FolderListing listing;
    listing.files.push_back({"stale", "/stale", 1});
    EXPECT_FALSE(fs.ListFolder(tree.Path("missing"), listing));
    EXPECT_TRUE(listing.files.empty());
    EXPECT_FALSE(fs.ListFolder(tree.File("plain", "x"), listing));
}

TEST(FileSystemLookUp, NameFolderSizeAndDate) {
    TestTree tree;
    tree.File("docs/report.txt", "hello");
    FileSystem fs;
    const auto d = fs.LookUpFile(tree.Path("docs/report.txt"));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->name, "report.txt");
    EXPECT_EQ(d->folder, tree.Path("docs"));
    EXPECT_EQ(d->size, 5u);
    EXPECT_FALSE(d->typeDescription.isEmpty());

    // A doubled separator (how a root-folder row writes its path) names the same file.
    const auto doubled = fs.LookUpFile(tree.Path("docs") + "//report.txt");
    ASSERT_TRUE(doubled);
    EXPECT_EQ(doubled->folder, tree.Path("docs"));
    EXPECT_EQ(doubled->name, "report.txt");
}

TEST(FileSystemLookUp, OnlyAbsolutePathsOfRegularFiles) {
    TestTree tree;
    tree.File("f", "x");
    tree.Link("l", tree.Path("f"));
    tree.Fifo("p");
    FileSystem fs;
    EXPECT_FALSE(fs.LookUpFile(""));
    EXPECT_FALSE(fs.LookUpFile("f"));
    EXPECT_FALSE(fs.LookUpFile(tree.Path("l")));
    EXPECT_FALSE(fs.LookUpFile(tree.Path("p")));
    EXPECT_FALSE(fs.LookUpFile(tree.Root()));
    EXPECT_FALSE(fs.LookUpFile(tree.Path("gone")));
}

TEST(FileSystemLookUp, DateTextLeavesOutMidnight) {
    const QDate day(2024, 3, 5);
    const QString atMidnight = ModifiedDateText(QDateTime(day, QTime(0, 0)));
    const QString atNoon = ModifiedDateText(QDateTime(day, QTime(12, 30, 15)));
    EXPECT_EQ(atMidnight, QLocale::system().toString(day, QLocale::ShortFormat));
    EXPECT_EQ(atNoon, atMidnight + " " +
                          QLocale::system().toString(QTime(12, 30, 15), QLocale::LongFormat));
    // From seconds, remembered or not, the text is the same as from the local date and time.
    const qint64 midnight = QDateTime(day, QTime(0, 0)).toSecsSinceEpoch();
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(ModifiedDateText(std::int64_t{midnight}), atMidnight);
        EXPECT_EQ(ModifiedDateText(std::int64_t{midnight + 45015}), atNoon);
    }
}

TEST(FileSystemChanges, DeleteFolderRemovesContentsButNeverFollowsLinks) {
    TestTree tree;
    const std::string keep = tree.File("outside/precious", "data");
    tree.File("store/a/b/c.txt", "x");
    tree.File("store/top", "y");
    tree.Link("store/a/link-out", tree.Path("outside"));
    tree.Link("store/file-link", keep);
    FileSystem fs;
    EXPECT_TRUE(fs.DeleteFolder(tree.Path("store")));
    EXPECT_FALSE(fs.IsFolder(tree.Path("store")));
    EXPECT_EQ(TestTree::Read(keep), "data");
    EXPECT_FALSE(fs.DeleteFolder(tree.Path("store")));
}

TEST(FileSystemChanges, CreateCopyDelete) {
    TestTree tree;
    FileSystem fs;
    EXPECT_TRUE(fs.CreateFolder(tree.Path("new")));
    EXPECT_FALSE(fs.CreateFolder(tree.Path("new")));
    const std::string from = tree.File("from", "new content");
    const std::string to = tree.File("new/to", "old content that is longer");
    EXPECT_TRUE(fs.CopyFile(from, to));
    EXPECT_EQ(TestTree::Read(to), "new content");
    EXPECT_FALSE(fs.CopyFile(tree.Path("missing"), tree.Path("new/x")));
    EXPECT_FALSE(fs.IsFile(tree.Path("new/x")));

    EXPECT_FALSE(fs.DeleteFile(tree.Path("new"))); // a folder is not a file
    EXPECT_TRUE(fs.DeleteFile(to));
    EXPECT_FALSE(fs.IsFile(to));
    EXPECT_FALSE(fs.DeleteFile(to));
}

TEST(FileSystemReads, PositionedReadsAndNoHangOnFifo) {
    TestTree tree;
    const std::string path = tree.File("f", "0123456789");
    const std::string fifo = tree.Fifo("pipe");
    FileSystem fs;
    ReadHandle file(fs, path);
    ASSERT_TRUE(file.IsOpen());
    char buffer[8] = {};
    EXPECT_EQ(file.ReadAt(buffer, 3, 4), 3);
    EXPECT_EQ(std::string(buffer, 3), "456");
    EXPECT_EQ(file.ReadAt(buffer, 8, 7), 3); // short only at the end
    EXPECT_EQ(file.ReadAt(buffer, 8, 100), 0);

    EXPECT_FALSE(ReadHandle(fs, fifo).IsOpen()); // would block forever if opened for reading
    EXPECT_FALSE(ReadHandle(fs, tree.Root()).IsOpen());
    EXPECT_FALSE(ReadHandle(fs, "").IsOpen());
}

TEST(FileSystemDrives, ReplacedDrivesAndTheRealOnes) {
    FileSystem fs;
    const auto real = fs.Drives();
    ASSERT_FALSE(real.empty());
    for (const Drive& d : real) {
        EXPECT_TRUE(fs.IsFolder(d.key)) << d.key;
        EXPECT_TRUE(d.caption.contains(QString::fromStdString(d.key))) << d.key;
    }
    TestTree tree;
    fs.ReplaceDrives({{tree.Folder("d1"), "One"}, {tree.Folder("d2"), "Two"}});
    const auto replaced = fs.Drives();
    ASSERT_EQ(replaced.size(), 2u);
    EXPECT_EQ(replaced[0].key, tree.Path("d1"));
    EXPECT_EQ(replaced[1].caption, "Two");
}

} // namespace
