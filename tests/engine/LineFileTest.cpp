#include "StoreFixture.h"

using namespace quilder;
using quilder::test::V;

namespace {

class LineFileTest : public test::StoreFixture {};

TEST_F(LineFileTest, LinesArriveInCallOrderAfterWhatTheFileHeldAndAreCountedAsRead) {
    const std::string a = tree.File("program/scanned/t/a", "/kept\r\n");
    const std::string b = ScanFolderPaths[0] + "/b";
    LineFile lines;
    lines.AppendLine(a, "/x/1");
    lines.AppendLine(b, "/y/1");
    lines.AppendLine(a, "/x/2");
    EXPECT_EQ(lines.CountLines(a), 3); // no flush needed by the caller
    for (int i = 0; i < 20000; ++i)    // more than is kept in memory: written part-way
        lines.AppendLine(b, std::string(1000, 'p'));
    EXPECT_EQ(ListLines(a), (V{"/kept", "/x/1", "/x/2"}));
    EXPECT_EQ(lines.CountLines(b), 20001);
    EXPECT_EQ(lines.CountLines(tree.File("program/scanned/t/c", "/a\nb\r\n/c")), 2);
    EXPECT_EQ(lines.CountLines(ScanFolderPaths[0] + "/missing"), -1);
    EXPECT_FALSE(lines.TakeFailure());
}

// A short write (a full disk) takes back what it wrote, and a file outside the store's class
// folders is never written; both are reported with the path, once.
TEST_F(LineFileTest, AFailedAppendLeavesNoTornLineAndNothingOutsideTheStore) {
    const std::string list = tree.File("program/scanned/t/a", "/kept\r\n");
    LineFile lines;
    for (const std::string& file : {list, tree.Path("outside"), program + "/scanned/x"}) {
        lines.AppendLine(file, "/a/path/longer/than/the/room/left");
        [&] { return test::FileSizeLimit(12), lines.Flush(); }();
        EXPECT_EQ(lines.TakeFailure()->path, file);
        EXPECT_FALSE(lines.TakeFailure());
    }
    EXPECT_EQ(ListLines(list), V{"/kept"});
    EXPECT_EQ(Entries(tree.Root()), (V{"program/"}));
    EXPECT_EQ(Entries(program + "/scanned"), (V{"h/", "l/", "n/", "s/", "t/", "vl/", "vs/"}));
}

} // namespace
