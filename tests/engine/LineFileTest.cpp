#include "StoreFixture.h"

using namespace quilder;
using quilder::test::V;

namespace {

class LineFileTest : public test::StoreFixture {
protected:
    std::string ListFile(const std::string& name) const { return ScanFolderPaths[0] + "/" + name; }
};

TEST_F(LineFileTest, LinesArriveInCallOrderAfterWhatTheFileHeldAndAreCountedAsRead) {
    const std::string a = tree.File("program/scanned/t/a", "/kept\r\n");
    const std::string b = ListFile("b");
    {
        LineFile lines;
        lines.AppendLine(a, "/x/1");
        lines.AppendLine(b, "/y/1");
        lines.AppendLine(a, "/x/2");
        EXPECT_EQ(lines.CountLines(a), 3); // no flush needed by the caller
        const std::string path(1000, 'p');
        for (int i = 0; i < 20000; ++i) // more than is kept in memory: written part-way
            lines.AppendLine(b, path);
    }
    EXPECT_EQ(ListLines(a), (V{"/kept", "/x/1", "/x/2"}));
    LineFile counter;
    EXPECT_EQ(counter.CountLines(b), 20001);
    EXPECT_EQ(counter.CountLines(tree.File("program/scanned/t/c", "/a\nb\r\n/c")), 2);
    EXPECT_EQ(counter.CountLines(ListFile("missing")), -1);
    EXPECT_FALSE(counter.TakeFailure());
}

// A short write (a full disk) takes back what it wrote, and a file outside the store's class
// folders is never written; both are reported with the path.
TEST_F(LineFileTest, AFailedAppendLeavesNoTornLineAndNothingOutsideTheStore) {
    const std::string list = tree.File("program/scanned/t/a", "/kept\r\n");
    LineFile lines;
    lines.AppendLine(list, "/a/path/longer/than/the/room/left");
    {
        const test::FileSizeLimit full(12);
        lines.Flush();
    }
    EXPECT_EQ(ListLines(list), V{"/kept"});
    EXPECT_EQ(lines.TakeFailure()->path, list);
    EXPECT_FALSE(lines.TakeFailure()); // taken

    for (const std::string& outside : {tree.Path("outside"), program + "/scanned/x"}) {
        lines.AppendLine(outside, "/x");
        lines.Flush();
        EXPECT_FALSE(FileSystemService().IsFile(outside)) << outside;
        EXPECT_EQ(lines.TakeFailure()->path, outside);
    }
}

} // namespace
