#include "LoadResult.h"
#include "ResultsFixture.h"

#include <cerrno>

namespace quilder::test {
namespace {

using Status = LoadOutcome::Status;

class LoadResultTest : public ResultsFixture {
protected:
    LoadOutcome Load(const std::string& resultFile) {
        return LoadResult(results, host, QString::fromStdString(resultFile));
    }
};

// Fails the reads of one file past its first bytes, as a disk error midway would.
class FailingRead : public FileSystem {
public:
    int OpenRead(const std::string& path, std::uint64_t* size) override {
        const int fd = FileSystem::OpenRead(path, size);
        if (path == failsMidway) midway_ = fd;
        return fd;
    }
    long long ReadAt(int fd, void* buffer, std::size_t length, std::uint64_t offset) override {
        if (fd != midway_ || offset == 0) return FileSystem::ReadAt(fd, buffer, length, offset);
        errno = EIO;
        return -1;
    }
    void CloseRead(int fd) override {
        if (fd == midway_) midway_ = -1;
        FileSystem::CloseRead(fd);
    }
    std::string failsMidway;

private:
    int midway_ = -1;
};

TEST_F(LoadResultTest, WorkStoreLoadsTheTickedClassesAndDeletesWhatItRead) {
    const std::string a = tree.FileOfSize("d/a", 20480), b = tree.FileOfSize("e/b", 20480);
    const std::string c = tree.FileOfSize("d/c", 20480, 2), d = tree.FileOfSize("e/d", 20480, 2);
    GroupFile("s", "20480_3", {a, b});
    GroupFile("s", "20480_12", {c, "", tree.Path("gone"), "relative/d", d});
    GroupFile("t", "0", {tree.File("z1", ""), tree.File("z2", "")});
    GroupFile("vs", "2048_1", {tree.FileOfSize("v1", 2048), tree.FileOfSize("v2", 2048)});
    host.boxTicked = [](int box) { return box != 6; };

    EXPECT_EQ(LoadResult(results, host, {}).status, Status::Loaded);

    EXPECT_EQ(Names(5), (Texts{"c", "d", "a", "b"}));
    EXPECT_EQ(Keys(5)[1], "0000000020480_12");
    EXPECT_EQ(Column(results.List(5), kSizeColumn)[0], "20.00 KB");
    // Twins: the All list holds the same texts, the zero-byte group first.
    ASSERT_EQ(results.AllList().RowCount(), 6);
    EXPECT_EQ(results.AllList().Row(4).text, results.List(5).Row(2).text);
    EXPECT_TRUE(FilesIn(GroupFolderPath(2)).empty());
    EXPECT_EQ(FilesIn(GroupFolderPath(1)), (Texts{"2048_1"}));
}

TEST_F(LoadResultTest, AGroupFileNotReadWholeAddsNothingAndStaysForTheNextLoad) {
    // Lines long enough to take more than one read.
    const std::string member = tree.FileOfSize(std::string(200, 'm'), 2048);
    auto owned = std::make_unique<FailingRead>();
    FailingRead& fs = *owned;
    fs.failsMidway = GroupFile("vs", "2048_1", Texts(600, member));
    GroupFile("vs", "8192_1", {tree.FileOfSize("e", 8192), tree.FileOfSize("f", 8192)});
    ReplaceFileSystemService(std::move(owned));

    LoadResult(results, host, {});
    EXPECT_EQ(Names(6), (Texts{"e", "f"}));
    EXPECT_EQ(FilesIn(GroupFolderPath(1)), (Texts{"2048_1"}));

    fs.failsMidway.clear();
    LoadResult(results, host, {});
    EXPECT_EQ(results.List(6).RowCount(), 602);
    EXPECT_TRUE(FilesIn(GroupFolderPath(1)).empty());
}

TEST_F(LoadResultTest, CommandsRunDuringAYieldSeeTwinRowsTogetherAndNoOverlappingLoad) {
    // Mostly one class, so that the All list grows far beyond the other class's list.
    const std::string tiny = tree.File("tiny", "x"), small = tree.FileOfSize("small", 2048);
    GroupFile("t", "1_1", {tiny, tiny});
    Texts lines;
    for (int i = 0; i < 400; ++i)
        lines.push_back((i % 40 == 39 ? small : tiny) + "\tK" + std::to_string(1000 + i));
    std::vector<Status> nested;
    host.onYield = [&](int yield) {
        int inClassLists = 0;
        for (int k = 1; k < kResultListCount; ++k)
            inClassLists += results.List(k).RowCount();
        EXPECT_EQ(inClassLists, results.AllList().RowCount()) << "at yield " << yield;
        nested.push_back(LoadResult(results, host, {}).status);
        if (yield == 6) results.ClearAll(); // after line 299, as Open Result File would
    };
    Load(WriteLines("r.qdr", lines));
    EXPECT_EQ(nested, std::vector<Status>(8, Status::Busy)); // after lines 49, 99, ..., 399
    EXPECT_EQ(FilesIn(GroupFolderPath(0)), (Texts{"1_1"}));
    // Rows built before the lists were emptied would have been emptied with them.
    ASSERT_EQ(results.AllList().RowCount(), 101);
    EXPECT_EQ(Keys(0).front(), "K1299");
    EXPECT_EQ(results.List(6).RowCount(), 3);
    host.onYield = nullptr;
    LoadResult(results, host, {}); // and the next load runs
    EXPECT_EQ(results.AllList().RowCount(), 103);
}

TEST_F(LoadResultTest, FileModeTakesTheClassFromTheCurrentSizeAndTheKeyFromTheLine) {
    const std::string a = tree.File("a", "x");
    // A file saved when it was larger, a huge one, then lines that give no row or an odd one: a
    // field too many, an empty line, a path cut short by a NUL (it would name a), garbage bytes,
    // a line longer than any path, a name holding a line feed, and a line without a tab.
    Load(WriteLines("r.qdr",
                    {tree.FileOfSize("now 2000 bytes", 2000) + "\t0000000020480_3",
                     tree.SparseFile("huge", 104857600) + "\t0000104857600",
                     a + "\tK1\textra field", "", a + std::string(1, '\0') + "junk\tK2",
                     "\x01\xff\xfe\t\x80garbage\x7f", "/" + std::string(1 << 20, 'q') + "\tK3",
                     tree.File("two\nlines", "y") + "\tK4", a}));

    EXPECT_EQ(Keys(0), (Texts{"", "0000000020480_3", "0000104857600", "K1", "K4"}));
    EXPECT_EQ(Names(0), (Texts{"a", "now 2000 bytes", "huge", "a", "two\nlines"}));
    EXPECT_EQ(Column(results.List(6), kSizeColumn), (Texts{"1.95 KB"}));
    EXPECT_EQ(Column(results.List(1), kSizeColumn), (Texts{"100.00 MB"}));
    EXPECT_EQ(results.List(7).RowCount(), 3);
    EXPECT_EQ(host.statusTexts, (QStringList{"Loading result", "Loading result..."}));
}

TEST_F(LoadResultTest, AResultFileThatCannotBeReadSaysWhyAndKeepsTheRowsReadSoFar) {
    const LoadOutcome missing = Load(tree.Path("no such.qdr"));
    const LoadOutcome folder = Load(tree.Folder("a folder"));
    EXPECT_EQ(missing.status, Status::Unreadable);
    EXPECT_EQ(missing.reason, QStringLiteral("No such file or directory"));
    EXPECT_EQ(folder.status, Status::Unreadable);
    EXPECT_EQ(folder.reason, QStringLiteral("Is a directory"));
    EXPECT_EQ(results.AllList().RowCount(), 0);

    const std::string a = tree.File(std::string(200, 'a'), "x");
    const std::string file = WriteLines("r.qdr", Texts(600, a + "\tK"));
    auto fs = std::make_unique<FailingRead>();
    fs->failsMidway = file;
    ReplaceFileSystemService(std::move(fs));
    const LoadOutcome midway = Load(file);
    EXPECT_EQ(midway.status, Status::Unreadable);
    EXPECT_EQ(midway.reason, QStringLiteral("Input/output error"));
    EXPECT_GT(results.AllList().RowCount(), 0);
    EXPECT_LT(results.AllList().RowCount(), 600);
    EXPECT_EQ(results.List(7).RowCount(), results.AllList().RowCount());
    EXPECT_EQ(host.intervals, (std::vector<int>{200, 0, 200, 0, 200, 0}));
}

} // namespace
} // namespace quilder::test
