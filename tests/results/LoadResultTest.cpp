#include "LoadResult.h"
#include "PathText.h"
#include "ResultsFixture.h"

#include <QStringList>
#include <memory>

namespace quilder::test {
namespace {

class LoadResultTest : public ResultsFixture {};

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    FileSystemService().ListFileNames(folder, names);
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(LoadResultTest, WorkStoreLoadsOnlyTheTickedClasses) {
    const std::string n1 = tree.FileOfSize("d/n1", 204800), n2 = tree.FileOfSize("e/n2", 204800);
    const std::string v1 = tree.FileOfSize("d/v1", 2048), v2 = tree.FileOfSize("e/v2", 2048);
    GroupFile("n", "204800_1", {n1, n2});
    GroupFile("vs", "2048_1", {v1, v2});
    GroupFile("t", "0", {tree.File("d/z1", ""), tree.File("d/z2", "")});
    host.TickOnly(4);

    LoadResult(results, host, {});

    EXPECT_EQ(Names(0), (std::vector<std::string>{"n1", "n2"}));
    EXPECT_EQ(Names(4), (std::vector<std::string>{"n1", "n2"}));
    EXPECT_EQ(results.List(6).RowCount() + results.List(7).RowCount(), 0);
    EXPECT_TRUE(FilesIn(GroupFolderPath(3)).empty());
    EXPECT_EQ(FilesIn(GroupFolderPath(1)), (std::vector<std::string>{"2048_1"}));
    EXPECT_EQ(FilesIn(GroupFolderPath(0)), (std::vector<std::string>{"0"}));
    EXPECT_EQ(host.yields, 1); // one per ticked class
    EXPECT_EQ(host.statusTexts, (QStringList{"Loading result", "Loading result..."}));
    EXPECT_EQ(host.intervals, (std::vector<int>{200, 0}));
}

TEST_F(LoadResultTest, WorkStoreRowsCarryTheGroupKeyAndTheClassUnit) {
    const std::string a = tree.FileOfSize("d/a.txt", 20480), b = tree.FileOfSize("e/b.txt", 20480);
    const std::string c = tree.FileOfSize("d/c.txt", 20480, 2),
                      d = tree.FileOfSize("e/d", 20480, 2);
    GroupFile("s", "20480_3", {a, b});
    GroupFile("s", "20480_12", {c, d});
    GroupFile("t", "0", {tree.File("z1", ""), tree.File("z2", "")});

    LoadResult(results, host, {});

    EXPECT_EQ(Names(5), (std::vector<std::string>{"c.txt", "d", "a.txt", "b.txt"}));
    EXPECT_EQ(Keys(5), (std::vector<std::string>{"0000000020480_12", "0000000020480_12",
                                                 "0000000020480_3", "0000000020480_3"}));
    EXPECT_EQ(Keys(7), (std::vector<std::string>{"0000000000000", "0000000000000"}));
    EXPECT_EQ(Column(results.List(7), kSizeColumn), (std::vector<std::string>{"0 B", "0 B"}));
    EXPECT_EQ(Column(results.List(5), kSizeColumn)[0], "20.00 KB");

    const ResultRow& row = results.List(5).Row(2);
    const auto details = FileSystemService().LookUpFile(a);
    ASSERT_TRUE(details);
    EXPECT_EQ(row.text[kPathColumn].toStdString(), tree.Path("d"));
    EXPECT_EQ(row.text[kTypeColumn], details->typeDescription);
    EXPECT_EQ(row.text[kModifiedColumn], details->modifiedText);
    // Twins: the All list holds the same texts, zero-byte group first.
    ASSERT_EQ(results.AllList().RowCount(), 6);
    EXPECT_EQ(results.AllList().Row(4).text, row.text);
    EXPECT_EQ(host.yields, 7);
}

TEST_F(LoadResultTest, GroupFileLinesThatNameNoFileGiveNoRow) {
    const std::string a = tree.FileOfSize("a", 2048), b = tree.FileOfSize("b", 2048);
    GroupFile("vs", "2048_1", {a, "", tree.Path("gone"), "relative/b", b});
    LoadResult(results, host, {});
    EXPECT_EQ(Names(6), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(FilesIn(GroupFolderPath(1)).empty());
}

// Fails to open one path, as when a file vanishes between listing and reading.
class FailingOpen : public FileSystem {
public:
    explicit FailingOpen(std::string path) : path_(std::move(path)) {}
    int OpenRead(const std::string& path, std::uint64_t* size) override {
        return path == path_ ? -1 : FileSystem::OpenRead(path, size);
    }
    int OpenReadAt(int folder, const std::string& name, std::uint64_t* size) override {
        return path_.ends_with("/" + name) ? -1 : FileSystem::OpenReadAt(folder, name, size);
    }

private:
    std::string path_;
};

TEST_F(LoadResultTest, AGroupFileThatCannotBeOpenedAddsNothingAndStays) {
    const std::string a = tree.FileOfSize("a", 2048), b = tree.FileOfSize("b", 2048);
    const std::string locked = GroupFile("vs", "2048_1", {a, b});
    GroupFile("vs", "4096_1", {tree.FileOfSize("c", 4096), tree.FileOfSize("d", 4096)});
    ReplaceFileSystemService(std::make_unique<FailingOpen>(locked));
    LoadResult(results, host, {});
    EXPECT_EQ(Names(6), (std::vector<std::string>{"c", "d"}));
    EXPECT_EQ(FilesIn(GroupFolderPath(1)), (std::vector<std::string>{"2048_1"}));
}

// Reads of one path fail past its first bytes, as on a disk error in the middle of a file.
class FailingRead : public FileSystem {
public:
    explicit FailingRead(std::string path) : path_(std::move(path)) {}
    int OpenRead(const std::string& path, std::uint64_t* size) override {
        const int fd = FileSystem::OpenRead(path, size);
        if (path == path_) failing_ = fd;
        return fd;
    }
    int OpenReadAt(int folder, const std::string& name, std::uint64_t* size) override {
        const int fd = FileSystem::OpenReadAt(folder, name, size);
        if (path_.ends_with("/" + name)) failing_ = fd;
        return fd;
    }
    long long ReadAt(int fd, void* buffer, std::size_t length, std::uint64_t offset) override {
        if (fd == failing_ && offset > 0 && failing) return -1;
        return FileSystem::ReadAt(fd, buffer, length, offset);
    }
    bool failing = true;

private:
    std::string path_;
    int failing_ = -1;
};

TEST_F(LoadResultTest, AGroupFileThatFailsPartwayAddsNothingAndIsReadWholeLater) {
    // Long enough that its lines take more than one read.
    std::vector<std::string> members;
    for (int i = 0; i < 1500; ++i)
        members.push_back(
            tree.FileOfSize("m/member-with-a-longish-name-" + std::to_string(i), 2048));
    const std::string group = GroupFile("vs", "2048_1", members);
    auto failingFs = std::make_unique<FailingRead>(group);
    FailingRead& fs = *failingFs;
    ReplaceFileSystemService(std::move(failingFs));

    LoadResult(results, host, {});
    EXPECT_EQ(results.AllList().RowCount(), 0);
    EXPECT_EQ(FilesIn(GroupFolderPath(1)), (std::vector<std::string>{"2048_1"}));

    fs.failing = false;
    LoadResult(results, host, {});
    EXPECT_EQ(results.AllList().RowCount(), 1500);
    EXPECT_EQ(results.List(6).RowCount(), 1500);
    EXPECT_TRUE(FilesIn(GroupFolderPath(1)).empty());
}

TEST_F(LoadResultTest, FileModeClassFollowsTheCurrentSizeAndKeepsTheSavedKey) {
    const std::string shrunk = tree.FileOfSize("now 2000 bytes", 2000);
    const std::string huge = tree.SparseFile("huge", 104857600);
    const std::string file =
        WriteLines(tree, "r.qdr", {shrunk + "\t0000000020480_3", huge + "\t0000104857600"});
    LoadResult(results, host, QString::fromStdString(file));

    EXPECT_EQ(Names(6), (std::vector<std::string>{"now 2000 bytes"}));
    EXPECT_EQ(Keys(6), (std::vector<std::string>{"0000000020480_3"}));
    EXPECT_EQ(Column(results.List(6), kSizeColumn)[0], "1.95 KB");
    EXPECT_EQ(results.List(5).RowCount(), 0);
    EXPECT_EQ(Column(results.List(1), kSizeColumn), (std::vector<std::string>{"100.00 MB"}));
    EXPECT_EQ(Names(0), (std::vector<std::string>{"now 2000 bytes", "huge"}));
    EXPECT_EQ(host.statusTexts, (QStringList{"Loading result", "Loading result..."}));
}

TEST_F(LoadResultTest, FileModeYieldsEvery50LinesWithTheRowsSoFarShown) {
    const std::string a = tree.File("a", "x");
    std::vector<std::string> lines;
    for (int i = 0; i < 120; ++i)
        lines.push_back(i % 3 == 2 ? tree.Path("missing") : a + "\tK" + std::to_string(1000 + i));
    const std::string file = WriteLines(tree, "r.qdr", lines);
    std::vector<int> rowsAtYield;
    host.onYield = [&](int) { rowsAtYield.push_back(results.AllList().RowCount()); };
    LoadResult(results, host, QString::fromStdString(file));
    // After lines 49 and 99, missing files counted as lines.
    EXPECT_EQ(rowsAtYield, (std::vector<int>{33, 66}));
    EXPECT_EQ(results.AllList().RowCount(), 80);
}

TEST_F(LoadResultTest, ALoadRequestedDuringALoadIsSkipped) {
    const std::string a = tree.File("a", "x");
    GroupFile("t", "1_1", {a, a});
    const std::string file = WriteLines(tree, "r.qdr", std::vector<std::string>(60, a + "\tK"));
    host.onYield = [&](int) { LoadResult(results, host, {}); };
    LoadResult(results, host, QString::fromStdString(file));
    EXPECT_EQ(results.AllList().RowCount(), 60);
    EXPECT_EQ(FilesIn(GroupFolderPath(0)), (std::vector<std::string>{"1_1"}));
    EXPECT_EQ(host.statusTexts.size(), 2);
    EXPECT_FALSE(results.IsLoading());
    LoadResult(results, host, {}); // and the next one runs
    EXPECT_EQ(results.AllList().RowCount(), 62);
}

TEST_F(LoadResultTest, RowsBuiltBeforeTheListsWereEmptiedDoNotComeBack) {
    const std::string a = tree.File("a", "x");
    std::vector<std::string> lines;
    for (int i = 0; i < 400; ++i)
        lines.push_back(a + "\tK" + std::to_string(5000 + i));
    const std::string file = WriteLines(tree, "r.qdr", lines);
    host.onYield = [&](int yield) {
        if (yield == 6) results.ClearAll(); // after line 299, as Open Result File would
    };
    LoadResult(results, host, QString::fromStdString(file));
    ASSERT_EQ(results.AllList().RowCount(), 101);
    EXPECT_EQ(Keys(0).front(), "K5299");
    EXPECT_EQ(Keys(0).back(), "K5399");
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
    const std::string file = tree.File("bad.qdr", bytes);

    LoadResult(results, host, QString::fromStdString(file));

    EXPECT_EQ(Keys(0), (std::vector<std::string>{"", "K1", "K4", "K5"}));
    EXPECT_EQ(Names(0), (std::vector<std::string>{"a", "a", "two\nlines", "a"}));
    EXPECT_EQ(results.List(7).RowCount(), 4);
}

TEST_F(LoadResultTest, AResultFileThatCannotBeReadEndsTheLoad) {
    LoadResult(results, host, QString::fromStdString(tree.Path("no such.qdr")));
    LoadResult(results, host, QString::fromStdString(tree.Folder("a folder")));
    EXPECT_EQ(results.AllList().RowCount(), 0);
    EXPECT_EQ(host.yields, 0);
    EXPECT_EQ(host.intervals, (std::vector<int>{200, 0, 200, 0}));
    EXPECT_FALSE(results.IsLoading());
}

} // namespace
} // namespace quilder::test
