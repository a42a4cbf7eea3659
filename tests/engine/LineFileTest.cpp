#include "StoreFixture.h"

using namespace quilder;
using V = std::vector<std::string>;

namespace {

class LineFileTest : public test::StoreFixture {};

TEST_F(LineFileTest, LinesArriveInCallOrderAfterWhatTheFileHeldAndReadersSeeThem) {
    LineFile lines;
    const std::string a = tree.File("a", "/kept\r\n");
    const std::string b = tree.Path("b");
    lines.AppendLine(a, "/x/1");
    lines.AppendLine(b, "/y/1");
    lines.AppendLine(a, "/x/2");
    // Counting needs no flush by the caller.
    EXPECT_EQ(lines.CountLines(a), 3);
    lines.AppendLine(a, "/x/3");
    lines.Flush();
    EXPECT_EQ(ListLines(a), (V{"/kept", "/x/1", "/x/2", "/x/3"}));
    EXPECT_EQ(ListLines(b), (V{"/y/1"}));
}

TEST_F(LineFileTest, CountsLinesTheWayTheyAreRead) {
    LineFile lines;
    EXPECT_EQ(lines.CountLines(tree.File("empty", "")), 0);
    EXPECT_EQ(lines.CountLines(tree.File("one-open", "/a")), 1);
    EXPECT_EQ(lines.CountLines(tree.File("lf-inside", "/a\nb\r\n")), 1);
    EXPECT_EQ(lines.CountLines(tree.File("two", "/a\r\n/b")), 2);
    EXPECT_EQ(lines.CountLines(tree.Path("missing")), -1);
}

TEST_F(LineFileTest, LinesSurviveTheComponentAndBigBuffers) {
    const std::string file = tree.Path("big");
    {
        LineFile lines;
        // More than the buffer holds, so it writes part-way and again at the end.
        const std::string path(1000, 'p');
        for (int i = 0; i < 20000; ++i)
            lines.AppendLine(file, path);
    }
    LineFile counter;
    EXPECT_EQ(counter.CountLines(file), 20000);
}

} // namespace
