#include "LineReader.h"
#include "TestTree.h"

#include <gtest/gtest.h>

using namespace quilder;
using quilder::test::TestTree;
using V = std::vector<std::string>;

namespace {

V Lines(const std::string& content, std::size_t maxLine = SIZE_MAX, std::size_t skipped = 0) {
    TestTree tree;
    FileSystem fs;
    LineReader reader(fs, tree.File("f", content));
    reader.SetMaxLineLength(maxLine);
    V lines;
    EXPECT_TRUE(ReadAllLines(reader, lines));
    EXPECT_EQ(reader.LongLinesSkipped(), skipped);
    return lines;
}

// A CR ends a line, an LF after it belongs to it; a CR as the last byte of one read and its LF
// as the first of the next are one line end.
TEST(LineReader, SplitsAtCarriageReturnsAndSkipsLinesBeyondTheLimit) {
    EXPECT_EQ(Lines("a\rb\r\none\ntwo\r\n\r\nlast"), (V{"a", "b", "one\ntwo", "", "last"}));
    const std::string line(65535, 'x');
    EXPECT_EQ(Lines(line + "\r\nnext"), (V{line, "next"}));
    FileSystem fs;
    std::vector<std::string> lines{"stale"};
    EXPECT_FALSE(ReadAllLines(fs, TestTree().Path("missing"), lines));
    EXPECT_TRUE(lines.empty());
    // A line beyond the limit is skipped and counted, also when it spans many reads or ends the
    // file; the lines around it are read as usual.
    const std::string huge(3 << 20, 'y');
    const std::string longest(kLongestPathLine, 'z');
    EXPECT_EQ(Lines("a\r\n" + huge + "\r\n" + longest + "\r\nb\r\n" + huge, kLongestPathLine, 2),
              (V{"a", longest, "b"}));
    EXPECT_EQ(Lines("a\r\n" + huge + "\r\nb"), (V{"a", huge, "b"}));
}

} // namespace
