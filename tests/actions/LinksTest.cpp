#include "DeleteCheckedFiles.h"
#include "EntryState.h"
#include "PathText.h"
#include "RecordingFileSystem.h"
#include "RowPaths.h"
#include "TestActionHost.h"
#include "TestTree.h"

#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quilder::test {
namespace {

using Paths = std::vector<std::string>;

// Replace Files with Links on real file systems in loop-mounted images (root only).
class LinksTest : public ::testing::Test, public TestActionHost {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "mounting file system images needs root";
    }
    void TearDown() override { ReleaseFileSystemService(); }

    // An image of file system `type` mounted on folder `name` of the tree.
    std::string Mounted(const std::string& type, const std::string& name) {
        const std::string onto = tree.Folder(name);
        const std::string make = type == "ext4" ? "mkfs.ext4 -q -F" : "mkfs." + type + " -q -f";
        if (!mounts.LoopImage(make, tree.Path(name + ".img"), onto, type == "ext4" ? 16 : 320))
            return {};
        return name;
    }
    void ReplaceAnsweringYes() {
        prompt.answers.push_back(PromptAnswer::Yes);
        DeleteCommand(*this, Disposal::Link);
    }
    // The type column of every row of list `list`, top to bottom.
    QStringList Types(int list) const {
        QStringList types;
        for (int i = 0; i < results.List(list).RowCount(); ++i)
            types << results.List(list).Row(i).Text(kTypeColumn);
        return types;
    }
    static struct stat Stat(const std::string& path) {
        struct stat st {};
        lstat(path.c_str(), &st);
        return st;
    }
    // Our temporary names left in a folder of the tree.
    QStringList Leftovers(const std::string& folder) const {
        return QDir(PathToText(tree.Path(folder)))
            .entryList({".quilder-*"}, QDir::Files | QDir::Hidden | QDir::System);
    }

    TestTree tree;
    BindMounts mounts;
};

TEST_F(LinksTest, TickedFileBecomesAHardLinkOnlyOnTheCopysFileSystem) {
    ASSERT_FALSE(Mounted("ext4", "e").empty());
    ASSERT_EQ(mounts.Mount("tmpfs", tree.Folder("t"), "tmpfs", "size=1m"), true);
    const Paths a{tree.File("e/keep", "same bytes"), tree.File("e/sub/dup", "same bytes"),
                  tree.File("e/dup2", "same bytes")};
    const Paths b{tree.File("t/keep", "other bytes"), tree.File("e/far", "other bytes")};
    AddGroup(4, "A", a);
    AddGroup(5, "B", b);
    Tick(0, {a[1], a[2], b[1]});
    const ino_t farInode = Stat(b[1]).st_ino;
    ReplaceAnsweringYes();

    EXPECT_EQ(prompt.questions, QStringList{kLinkQuestion});
    // Both ticked files are names of the copy now (the second after the copy gained a link).
    for (const std::string& dup : {a[1], a[2]}) {
        EXPECT_EQ(Stat(dup).st_ino, Stat(a[0]).st_ino) << dup;
        EXPECT_EQ(TestTree::Read(dup), "same bytes");
    }
    EXPECT_EQ(Stat(a[0]).st_nlink, 3u);
    // Across file systems nothing is linked, and the notice says why.
    EXPECT_EQ(Stat(b[1]).st_ino, farInode);
    EXPECT_EQ(Stat(b[1]).st_nlink, 1u);
    EXPECT_EQ(TestTree::Read(b[1]), "other bytes");
    ASSERT_EQ(prompt.notices.size(), 1);
    EXPECT_EQ(prompt.notices[0],
              "1 checked file was not replaced by links: every copy of its group that stays is on "
              "another file system, which no link can reach.\nThe first: '" +
                  PathToText(b[1]) + "'.");
    EXPECT_EQ(status, "2 files replaced by links, 20 B freed; 1 kept");
    // Every row stays; those of the linked files tell it, in both lists.
    EXPECT_EQ(results.List(0).RowCount(), 5);
    EXPECT_EQ(Types(4), (QStringList{Types(4)[0], "hard link", "hard link"}));
    EXPECT_EQ(Types(0).count("hard link"), 2);
    EXPECT_FALSE(results.ResultChanged());
    EXPECT_TRUE(Leftovers("e").isEmpty() && Leftovers("e/sub").isEmpty());
}

// Another program at work between the last look and the link: the copy that stays is
// rewritten, or the ticked file replaced by a new one. Neither becomes a link.
TEST_F(LinksTest, FilesChangedBeforeTheLinkStayAsTheyAre) {
    ASSERT_FALSE(Mounted("ext4", "e").empty());
    const Paths a{tree.File("e/a1", "aaaa"), tree.File("e/a2", "aaaa")};
    const Paths b{tree.File("e/b1", "bbbb"), tree.File("e/b2", "bbbb")};
    AddGroup(4, "A", a);
    AddGroup(4, "B", b);
    Tick(0, {a[1], b[1]});
    const ino_t a2Inode = Stat(a[1]).st_ino;
    InstallRecordingFileSystem().beforeRemoval = [&](const std::string& name) {
        if (name == "a2") tree.File("e/a1", "AAAA"); // same size, newer time
        if (name == "b2") {
            tree.File("e/new", "new program's");
            std::rename(tree.Path("e/new").c_str(), b[1].c_str());
        }
    };
    ReplaceAnsweringYes();
    EXPECT_EQ(Stat(a[1]).st_ino, a2Inode);
    EXPECT_EQ(Stat(a[0]).st_nlink, 1u);
    EXPECT_EQ(TestTree::Read(a[1]), "aaaa");
    EXPECT_EQ(TestTree::Read(b[1]), "new program's");
    EXPECT_EQ(Stat(b[0]).st_nlink, 1u);
    ASSERT_EQ(prompt.notices.size(), 1);
    EXPECT_TRUE(prompt.notices[0].startsWith("2 checked files were not replaced by links: their "
                                             "content differs"));
    EXPECT_EQ(status, "0 files replaced by links, 0 B freed; 2 kept");
    EXPECT_EQ(Types(4).count("hard link"), 0);
    EXPECT_TRUE(Leftovers("e").isEmpty());
}

// The name cannot be exchanged (the file is immutable): the link made beside it goes again.
TEST_F(LinksTest, FailedExchangeLeavesNoTemporaryLink) {
    ASSERT_FALSE(Mounted("ext4", "e").empty());
    const Paths a{tree.File("e/keep", "data"), tree.File("e/fixed", "data")};
    AddGroup(4, "A", a);
    Tick(0, {a[1]});
    const int fd = open(a[1].c_str(), O_RDONLY);
    int flags = FS_IMMUTABLE_FL;
    ASSERT_EQ(ioctl(fd, FS_IOC_SETFLAGS, &flags), 0);
    ReplaceAnsweringYes();
    flags = 0;
    ioctl(fd, FS_IOC_SETFLAGS, &flags);
    close(fd);
    EXPECT_TRUE(Leftovers("e").isEmpty()) << Leftovers("e").join(' ').toStdString();
    EXPECT_EQ(Stat(a[0]).st_nlink, 1u);
    EXPECT_NE(Stat(a[1]).st_ino, Stat(a[0]).st_ino);
    ASSERT_EQ(prompt.notices.size(), 1);
    EXPECT_EQ(prompt.notices[0], "1 checked file could not be replaced by links; it keeps its "
                                 "rows.\nThe first: '" +
                                     PathToText(a[1]) + "': " + qt_error_string(EPERM) + ".");
}

// The physical place of a file's first extent.
std::uint64_t FirstExtent(const std::string& path) {
    alignas(fiemap) unsigned char buffer[sizeof(fiemap) + sizeof(fiemap_extent)]{};
    auto* map = reinterpret_cast<fiemap*>(buffer);
    map->fm_length = FIEMAP_MAX_OFFSET;
    map->fm_flags = FIEMAP_FLAG_SYNC;
    map->fm_extent_count = 1;
    const int fd = open(path.c_str(), O_RDONLY);
    const bool asked = ioctl(fd, FS_IOC_FIEMAP, map) == 0 && map->fm_mapped_extents > 0;
    close(fd);
    return asked ? map->fm_extents[0].fe_physical : 0;
}

// Where the file system shares extents, the ticked file keeps its inode and shares the copy's
// blocks; a file that differs from the copy in its last byte shares nothing and is unchanged.
// (Past the first 16 MiB, the most one request takes.)
TEST_F(LinksTest, ExtentsAreSharedWhereTheFileSystemCan) {
    bool any = false;
    for (const std::string type : {"btrfs", "xfs"}) {
        if (std::system(("which mkfs." + type + " >/dev/null").c_str()) != 0) continue;
        SCOPED_TRACE(type);
        any = true;
        results.ClearAll();
        prompt.notices.clear();
        ASSERT_FALSE(Mounted(type, type).empty());
        const std::string bytes = TestTree::Bytes(20 << 20, 3); // more than one request
        std::string last = bytes;
        last.back() ^= 1;
        const Paths a{tree.File(type + "/keep", bytes), tree.File(type + "/dup", bytes)};
        const std::string odd = tree.File(type + "/odd", last);
        sync();
        const struct stat before = Stat(a[1]);
        ASSERT_NE(FirstExtent(a[1]), FirstExtent(a[0]));
        AddGroup(4, "A", a);
        Tick(0, {a[1]});
        ReplaceAnsweringYes();
        EXPECT_EQ(FirstExtent(a[1]), FirstExtent(a[0]));
        EXPECT_EQ(Stat(a[1]).st_ino, before.st_ino);
        EXPECT_EQ(Stat(a[1]).st_nlink, 1u);
        EXPECT_EQ(Stat(a[1]).st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        EXPECT_EQ(TestTree::Read(a[1]), bytes);
        EXPECT_EQ(Types(4)[1], "shared extents");
        EXPECT_EQ(status, "1 file replaced by links, 20.0 MB freed");
        EXPECT_TRUE(prompt.notices.isEmpty()) << prompt.notices.join(' ').toStdString();

        // The kernel's own comparison, past the check: the pair looked equal when compared.
        FolderHandles folders(FileSystemService());
        const EntryLook copy = LookUpEntry(folders, tree.Path(type), "keep");
        const EntryLook file = LookUpEntry(folders, tree.Path(type), "odd");
        FolderId id;
        int error = 0;
        const RemovalOutcome outcome =
            ReplaceByLinkAt(folders.Open(tree.Path(type), id, error), tree.Path(type), "odd",
                            file.entry.state, {copy.entry});
        EXPECT_EQ(outcome.kind, RemovalOutcome::Kind::Changed);
        EXPECT_NE(FirstExtent(odd), FirstExtent(a[0]));
        EXPECT_EQ(TestTree::Read(odd), last);
    }
    if (!any) GTEST_SKIP() << "neither mkfs.btrfs nor mkfs.xfs is installed";
}

} // namespace
} // namespace quilder::test
