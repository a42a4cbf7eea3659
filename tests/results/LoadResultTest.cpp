#include "LoadResult.h"
#include "ResultsFixture.h"

#include <QStringList>
#include <cerrno>
#include <memory>

namespace quilder::test {
namespace {

using Status = LoadOutcome::Status;

class LoadResultTest : public ResultsFixture {
protected:
    LoadOutcome Load(const std::string& resultFile) {
        return LoadResult(results, host, QString::fromStdString(resultFile));
    }
};

// Fails one file's open, or another's reads past its first bytes (a disk error midway).
class FailingFiles : public FileSystem {
public:
    int OpenRead(const std::string& path, std::uint64_t* size) override {
        if (path == unopenable) return -1;
        const int fd = FileSystem::OpenRead(path, size);
        if (path == failsMidway) midway_ = fd;
        return fd;
    }
    long long ReadAt(int fd, void* buffer, std::size_t length, std::uint64_t offset) override {
        if (fd >= 0 && fd == midway_ && offset > 0) {
            errno = EIO;
            return -1;
        }
        return FileSystem::ReadAt(fd, buffer, length, offset);
    }
    void CloseRead(int fd) override {
        if (fd == midway_) midway_ = -1;
        FileSystem::CloseRead(fd);
    }
    std::string unopenable, failsMidway;

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
    EXPECT_EQ(Keys(5), (Texts{"0000000020480_12", "0000000020480_12", "0000000020480_3",
                              "0000000020480_3"}));
    EXPECT_EQ(Keys(7), (Texts{"0000000000000", "0000000000000"}));
    EXPECT_EQ(Column(results.List(7), kSizeColumn)[0], "0 B");
    EXPECT_EQ(Column(results.List(5), kSizeColumn)[0], "20.00 KB");
    EXPECT_EQ(Column(results.List(5), kPathColumn)[0], tree.Path("d"));
    // Twins: the All list holds the same texts, the zero-byte group first.
    ASSERT_EQ(results.AllList().RowCount(), 6);
    EXPECT_EQ(results.AllList().Row(4).text, results.List(5).Row(2).text);
    EXPECT_TRUE(FilesIn(GroupFolderPath(2)).empty());
    EXPECT_EQ(FilesIn(GroupFolderPath(1)), (Texts{"2048_1"}));
    EXPECT_EQ(host.statusTexts, (QStringList{"Loading result", "Loading result..."}));
    EXPECT_EQ(host.intervals, (std::vector<int>{200, 0}));
}

TEST_F(LoadResultTest, AGroupFileNotReadWholeAddsNothingAndStaysForTheNextLoad) {
    // Lines long enough to take more than one read.
    const std::string member = tree.FileOfSize(std::string(200, 'm'), 2048);
    auto owned = std::make_unique<FailingFiles>();
    FailingFiles& fs = *owned;
    fs.failsMidway = GroupFile("vs", "2048_1", Texts(600, member));
    fs.unopenable =
        GroupFile("vs", "4096_1", {tree.FileOfSize("c", 4096), tree.FileOfSize("d", 4096)});
    GroupFile("vs", "8192_1", {tree.FileOfSize("e", 8192), tree.FileOfSize("f", 8192)});
    ReplaceFileSystemService(std::move(owned));

    LoadResult(results, host, {});
    EXPECT_EQ(Names(6), (Texts{"e", "f"}));
    EXPECT_EQ(FilesIn(GroupFolderPath(1)), (Texts{"2048_1", "4096_1"}));

    fs.failsMidway.clear();
    fs.unopenable.clear();
    LoadResult(results, host, {});
    EXPECT_EQ(results.List(6).RowCount(), 604);
    EXPECT_EQ(results.AllList().RowCount(), 604);
    EXPECT_TRUE(FilesIn(GroupFolderPath(1)).empty());
}

TEST_F(LoadResultTest, FileModeClassFollowsTheCurrentSizeAndKeepsTheSavedKey) {
    const std::string shrunk = tree.FileOfSize("now 2000 bytes", 2000);
    const std::string huge = tree.SparseFile("huge", 104857600);
    const LoadOutcome outcome =
        Load(WriteLines("r.qdr", {shrunk + "\t0000000020480_3", huge + "\t0000104857600"}));

    EXPECT_EQ(outcome.status, Status::Loaded);
    EXPECT_EQ(Keys(6), (Texts{"0000000020480_3"}));
    EXPECT_EQ(Column(results.List(6), kSizeColumn), (Texts{"1.95 KB"}));
    EXPECT_EQ(Column(results.List(1), kSizeColumn), (Texts{"100.00 MB"}));
    EXPECT_EQ(Names(0), (Texts{"now 2000 bytes", "huge"}));
    EXPECT_EQ(host.statusTexts, (QStringList{"Loading result", "Loading result..."}));
}

TEST_F(LoadResultTest, FileModeYieldsEvery50LinesWithTwinRowsTogether) {
    // Mostly one class, so that the All list grows far beyond the other class's list.
    const std::string tiny = tree.File("tiny", "x"), small = tree.FileOfSize("small", 2048);
    Texts lines;
    for (int i = 0; i < 300; ++i)
        lines.push_back((i % 40 == 39 ? small : tiny) + "\tK" + std::to_string(1000 + i));
    host.onYield = [&](int yield) {
        int inClassLists = 0;
        for (int k = 1; k < kResultListCount; ++k)
            inClassLists += results.List(k).RowCount();
        EXPECT_EQ(inClassLists, results.AllList().RowCount()) << "at yield " << yield;
    };
    Load(WriteLines("r.qdr", lines));
    EXPECT_EQ(host.yields, 6); // after lines 49, 99, ..., 299
    EXPECT_EQ(results.AllList().RowCount(), 300);
    EXPECT_EQ(results.List(6).RowCount(), 7);
}

TEST_F(LoadResultTest, ALoadRequestedDuringALoadIsRefused) {
    const std::string a = tree.File("a", "x");
    GroupFile("t", "1_1", {a, a});
    std::vector<Status> refused;
    host.onYield = [&](int) { refused.push_back(LoadResult(results, host, {}).status); };
    Load(WriteLines("r.qdr", Texts(60, a + "\tK")));
    EXPECT_EQ(refused, std::vector<Status>{Status::Busy});
    EXPECT_EQ(results.AllList().RowCount(), 60);
    EXPECT_EQ(FilesIn(GroupFolderPath(0)), (Texts{"1_1"}));
    EXPECT_FALSE(results.IsLoading());
    host.onYield = nullptr;
    LoadResult(results, host, {}); // and the next one runs
    EXPECT_EQ(results.AllList().RowCount(), 62);
}

TEST_F(LoadResultTest, RowsBuiltBeforeTheListsWereEmptiedDoNotComeBack) {
    const std::string a = tree.File("a", "x");
    Texts lines;
    for (int i = 0; i < 400; ++i)
        lines.push_back(a + "\tK" + std::to_string(5000 + i));
    host.onYield = [&](int yield) {
        if (yield == 6) results.ClearAll(); // after line 299, as Open Result File would
    };
    Load(WriteLines("r.qdr", lines));
    ASSERT_EQ(results.AllList().RowCount(), 101);
    EXPECT_EQ(Keys(0).front(), "K5299");
    EXPECT_EQ(results.List(7).RowCount(), 101);
}

TEST_F(LoadResultTest, BadResultFileLinesNeitherCrashNorNameAnotherFile) {
    const std::string a = tree.File("a", "x");
    const std::string lf = tree.File("two\nlines", "y"); // a name holding a line feed
    std::string bytes;
    bytes += a + "\tK1\textra field\r\n";
    bytes += "\r\n";
    bytes += a + std::string(1, '\0') + "junk\tK2\r\n"; // cut short by NUL it would name a
    bytes += std::string("\x01\xff\xfe\t\x80garbage\x7f") + "\r\n";
    bytes += "/" + std::string(1 << 20, 'q') + "\tK3\r\n";
    bytes += lf + "\tK4\r\n";
    bytes += a + "\r\n"; // no tab: empty key
    bytes += a + "\tK5"; // last line without its end
    Load(tree.File("bad.qdr", bytes));

    EXPECT_EQ(Keys(0), (Texts{"", "K1", "K4", "K5"}));
    EXPECT_EQ(Names(0), (Texts{"a", "a", "two\nlines", "a"}));
    EXPECT_EQ(results.List(7).RowCount(), 4);
}

TEST_F(LoadResultTest, AResultFileThatCannotBeReadSaysWhyAndKeepsTheRowsReadSoFar) {
    const LoadOutcome missing = Load(tree.Path("no such.qdr"));
    const LoadOutcome folder = Load(tree.Folder("a folder"));
    EXPECT_EQ(missing.status, Status::Unreadable);
    EXPECT_EQ(missing.reason, QStringLiteral("No such file or directory"));
    EXPECT_EQ(folder.status, Status::Unreadable);
    EXPECT_EQ(folder.reason, QStringLiteral("Is a directory"));
    EXPECT_EQ(results.AllList().RowCount(), 0);
    EXPECT_EQ(host.yields, 0);

    const std::string a = tree.File(std::string(200, 'a'), "x");
    const std::string file = WriteLines("r.qdr", Texts(600, a + "\tK"));
    auto fs = std::make_unique<FailingFiles>();
    fs->failsMidway = file;
    ReplaceFileSystemService(std::move(fs));
    const LoadOutcome midway = Load(file);
    EXPECT_EQ(midway.status, Status::Unreadable);
    EXPECT_EQ(midway.reason, QStringLiteral("Input/output error"));
    EXPECT_GT(results.AllList().RowCount(), 0);
    EXPECT_LT(results.AllList().RowCount(), 600);
    EXPECT_EQ(results.List(7).RowCount(), results.AllList().RowCount());
    EXPECT_EQ(host.intervals, (std::vector<int>{200, 0, 200, 0, 200, 0}));
    EXPECT_FALSE(results.IsLoading());
}

} // namespace
} // namespace quilder::test
