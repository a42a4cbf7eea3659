#include "LoadResult.h"

#include "ComparePhase.h"
#include "PendingRows.h"
#include "RecordingFileSystem.h"
#include "ResultsFixture.h"

namespace quilder::test {
namespace {

using Status = LoadOutcome::Status;

class LoadResultTest : public ResultsFixture {
protected:
    LoadOutcome Load(const std::string& resultFile) {
        return LoadResult(results, host, QString::fromStdString(resultFile));
    }
};

TEST_F(LoadResultTest, WorkStoreLoadsTheTickedClassesAndDeletesWhatItRead) {
    const std::string a = tree.FileOfSize("d/a", 20480), b = tree.FileOfSize("e/b", 20480);
    const std::string c = tree.FileOfSize("d/c", 20480, 2), d = tree.FileOfSize("e/d", 20480, 2);
    GroupFile("s", "20480_3", {a, b});
    GroupFile("s", "20480_12", {c, "", tree.Path("gone"), "relative/d", d});
    GroupFile("t", "0", {tree.File("z1", ""), tree.File("z2", "")});
    GroupFile("vs", "2048_1", {tree.FileOfSize("v1", 2048), tree.FileOfSize("v2", 2048)});
    host.boxes[6] = false;

    EXPECT_EQ(LoadResult(results, host, {}).status, Status::Loaded);

    EXPECT_EQ(Names(5), (Texts{"c", "d", "a", "b"})); // by key: size padded, then group
    EXPECT_EQ(Keys(5)[1], "0000000020480_12");
    // Twins: the All list holds the same texts, the zero-byte group first.
    ASSERT_EQ(results.AllList().RowCount(), 6);
    EXPECT_EQ(results.AllList().Row(4).text, results.List(5).Row(2).text);
    EXPECT_TRUE(Entries(GroupFolderPath(2)).empty());
    EXPECT_EQ(Entries(GroupFolderPath(1)), (Texts{"2048_1"}));
}

// A result file that cannot be read says why and keeps the rows read so far; a group file not
// read whole adds nothing and stays for the next load.
TEST_F(LoadResultTest, AFileThatCannotBeReadIsReportedOrKeptForTheNextLoad) {
    EXPECT_EQ(Load(tree.Path("no such.qdr")).reason, QStringLiteral("No such file or directory"));
    EXPECT_EQ(Load(tree.Folder("a folder")).status, Status::Unreadable);

    const std::string a = tree.File(std::string(200, 'a'), "x");
    const std::string file = WriteLines("r.qdr", Texts(600, a + "\tK"));
    InstallRecordingFileSystem().failFrom[file] = 1 << 16;
    const LoadOutcome midway = Load(file);
    EXPECT_EQ(midway.status, Status::ReadInPart);
    EXPECT_EQ(midway.reason, QStringLiteral("Input/output error"));
    EXPECT_GT(results.AllList().RowCount(), 0);
    EXPECT_LT(results.AllList().RowCount(), 600);
    EXPECT_EQ(host.intervals.back(), 0); // the animation stops

    // Lines long enough to take more than one read.
    const std::string member = tree.FileOfSize(std::string(200, 'm'), 2048);
    GroupFile("vs", "2048_1", Texts(600, member));
    GroupFile("vs", "8192_1", {tree.FileOfSize("e", 8192), tree.FileOfSize("f", 8192)});
    RecordingFileSystem& fs = InstallRecordingFileSystem();
    fs.failFrom["2048_1"] = 1 << 16; // past the first read

    LoadResult(results, host, {});
    EXPECT_EQ(Names(6), (Texts{"e", "f"}));
    EXPECT_EQ(Entries(GroupFolderPath(1)), (Texts{"2048_1"}));

    fs.failFrom.clear();
    LoadResult(results, host, {});
    EXPECT_EQ(results.List(6).RowCount(), 602);
    EXPECT_TRUE(Entries(GroupFolderPath(1)).empty());
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
    EXPECT_EQ(Entries(GroupFolderPath(0)), (Texts{"1_1"}));
    // Rows built before the lists were emptied would have been emptied with them.
    ASSERT_EQ(results.AllList().RowCount(), 101);
    EXPECT_EQ(Keys(0).front(), "K1299");
    EXPECT_EQ(results.List(6).RowCount(), 3);
    host.onYield = nullptr;
    LoadResult(results, host, {}); // and the next load runs
    EXPECT_EQ(results.AllList().RowCount(), 103);
}

// A class of many rows lets the window run before its end: each yield finds the rows of the
// group files read so far in the lists, and those files gone.
TEST_F(LoadResultTest, ABigClassFolderYieldsPartwayWithWhatItReadLoadedAndDeleted) {
    const std::string member = tree.FileOfSize("m", 2048);
    for (const char* name : {"2048_1", "2048_2", "2048_3"})
        GroupFile("vs", name, Texts(1500, member));
    std::vector<std::pair<int, Texts>> seen; // All list rows and group files left, per yield
    host.onYield = [&](int) {
        if (results.AllList().RowCount() > 0)
            seen.emplace_back(results.AllList().RowCount(), Entries(GroupFolderPath(1)));
    };
    LoadResult(results, host, {});
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), (std::pair<int, Texts>{3000, {"2048_3"}}));
    EXPECT_EQ(results.List(6).RowCount(), 4500);
}

// Groups this job made come from memory; a folder that may hold other group files is read as
// well, and no group is listed twice, whether or not its file was written meanwhile.
TEST_F(LoadResultTest, HeldGroupsAndGroupFilesOnDiskAreEachListedOnce) {
    const std::string a = tree.FileOfSize("a", 20480), b = tree.FileOfSize("b", 20480);
    const std::string c = tree.FileOfSize("c", 20480, 2), d = tree.FileOfSize("d", 20480, 2);
    WriteLines("program/scanned/s/20480", {a, b, c, d});
    ResetCompareStore();
    ASSERT_EQ(RunComparingPhase(host).verdict, PhaseVerdict::Completed);
    const std::string e = tree.FileOfSize("e", 2048), f = tree.FileOfSize("f", 2048);
    GroupFile("s", "2048_1", {e, f}); // left over where only memory was to be trusted
    EXPECT_EQ(LoadResult(results, host, {}).status, Status::Loaded);
    EXPECT_EQ(Names(5), (Texts{"e", "f", "a", "b", "c", "d"}));
    EXPECT_TRUE(Entries(GroupFolderPath(2)).empty());
}

TEST_F(LoadResultTest, FileModeTakesTheClassFromTheCurrentSizeAndTheKeyFromTheLine) {
    const std::string a = tree.File("a", "x");
    // A file saved when it was larger, a huge one, then lines that give no row or an odd one: a
    // field too many, an empty line, a path cut short by a NUL (it would name a), garbage bytes,
    // a line longer than any path, and a line without a tab.
    Load(WriteLines("r.qdr", {tree.FileOfSize("now 2000 bytes", 2000) + "\t0000000020480_3",
                              tree.SparseFile("huge", 104857600) + "\t0000104857600",
                              a + "\tK1\textra field", "", a + std::string(1, '\0') + "junk\tK2",
                              "\x01\xff\xfe\t\x80garbage\x7f",
                              "/" + std::string(1 << 20, 'q') + "\tK3", a}));

    EXPECT_EQ(Keys(0), (Texts{"", "0000000020480_3", "0000104857600", "K1"}));
    EXPECT_EQ(Names(0), (Texts{"a", "now 2000 bytes", "huge", "a"}));
    EXPECT_EQ(Column(results.List(6), kSizeColumn), (Texts{"1.95 KB"}));
    EXPECT_EQ(Column(results.List(1), kSizeColumn), (Texts{"100.00 MB"}));
    EXPECT_EQ(results.List(7).RowCount(), 2);
    EXPECT_EQ(host.statusTexts, (QStringList{"Loading result", "Loading result..."}));
}

// A file edited by another program may end its lines with LF alone, or mix the ends: each line
// is still one row with its own key, and no key keeps a line end.
TEST_F(LoadResultTest, LineFeedAndMixedLineEndsGiveEveryLineItsOwnRow) {
    const std::string a = tree.File("a", "x"), b = tree.File("b", "x"), c = tree.File("c", "x");
    Load(tree.File("lf.qdr", a + "\tK2\n" + b + "\tK1\n" + c + "\tK2\n"));
    EXPECT_EQ(Names(0), (Texts{"b", "a", "c"}));
    EXPECT_EQ(Keys(0), (Texts{"K1", "K2", "K2"}));

    results.ClearAll();
    const std::string d = tree.File("d", "x");
    Load(tree.File("mixed.qdr",
                   a + "\tK4\r\n" + b + "\tK3\n\n" + c + "\tK2\r" + d + "\tK1\n\r" + a));
    EXPECT_EQ(Names(0), (Texts{"a", "d", "c", "b", "a"}));
    EXPECT_EQ(Keys(0), (Texts{"", "K1", "K2", "K3", "K4"}));
}

// A long file's files are looked up ahead, folder by folder: each row must still be the file
// its own line names, in the file's order. File i has i bytes.
TEST_F(LoadResultTest, ALongFileGivesEveryLineItsOwnFileInTheFilesOrder) {
    RecordingFileSystem& fs = InstallRecordingFileSystem();
    fs.unopenable.insert(tree.Folder("locked")); // its files are looked up by path
    Texts lines, names;
    for (int i = 0; i < 1500; ++i) {
        const std::string folder = i == 700     ? "alone"
                                   : i % 9 == 4 ? "locked"
                                                : "d" + std::to_string(i * 7 % 23);
        names.push_back("f" + std::to_string(i));
        lines.push_back(tree.FileOfSize(folder + "/" + names.back(), i) + "\tK" +
                        std::to_string(1000 + i / 3)); // groups of three
    }
    // Lines that give no row must not take another line's file.
    lines.insert(lines.begin() + 900, tree.Path("d3/gone") + "\tK1300");
    const std::string path600 = lines[600].substr(0, lines[600].find('\t'));
    lines.insert(lines.begin() + 600, path600 + std::string(1, '\0') + "x\tK1200");
    lines.insert(lines.begin() + 300, "relative/f\tK1100");
    EXPECT_EQ(Load(WriteLines("r.qdr", lines)).status, Status::Loaded);

    EXPECT_EQ(Names(0), names);
    for (int i = 0; i < results.AllList().RowCount(); ++i)
        ASSERT_EQ(results.AllList().Row(i).Size(), static_cast<std::uint64_t>(i)) << names[i];
    EXPECT_EQ(results.List(6).RowCount(), 1500 - 1024);

    // The window closing while the files are looked up ends the load with nothing added.
    results.ClearAll();
    host.onYield = [&](int) { host.closing = true; };
    EXPECT_EQ(Load(WriteLines("r.qdr", lines)).status, Status::Abandoned);
    EXPECT_EQ(results.AllList().RowCount(), 0);
}

// The rows left at a load's end go in a slice at a time, the window running between slices, each
// slice with the twins of its rows.
TEST(PendingRowsTest, FlushAllPutsTwinsInTogetherASliceAtATime) {
    ResultSet results;
    PendingRows pending(results);
    const int pairs = static_cast<int>(PendingRows::kPairsPerSlice) * 5 / 2;
    for (int i = 0; i < pairs; ++i)
        pending.AddPair(1 + i % 7, Row("f", "K"));
    std::vector<int> inAll{0};
    EXPECT_TRUE(pending.FlushAll([&] {
        int inClasses = 0;
        for (int k = 1; k < kResultListCount; ++k)
            inClasses += results.List(k).RowCount();
        EXPECT_EQ(inClasses, results.AllList().RowCount());
        inAll.push_back(results.AllList().RowCount());
        return true;
    }));
    inAll.push_back(results.AllList().RowCount());
    EXPECT_EQ(inAll.back(), pairs);
    EXPECT_EQ(results.List(7).RowCount(), pairs / 7);
    for (std::size_t y = 1; y < inAll.size(); ++y)
        EXPECT_LE(inAll[y] - inAll[y - 1], static_cast<int>(PendingRows::kPairsPerSlice));
}

} // namespace
} // namespace quilder::test
