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

TEST(LineReader, SplitsAtCarriageReturnsAndKeepsLoneLineFeeds) {
    EXPECT_EQ(Lines("a\r\nb\r\n"), (V{"a", "b"}));
    EXPECT_EQ(Lines("a\rb\r\nlast"), (V{"a", "b", "last"}));
    EXPECT_EQ(Lines("one\ntwo\r\n\r\n"), (V{"one\ntwo", ""}));
    EXPECT_EQ(Lines(std::string("nul\0byte", 8)), (V{std::string("nul\0byte", 8)}));
    // A CR as the very last byte of one read and its LF as the first of the next.
    const std::string line(65535, 'x');
    EXPECT_EQ(Lines(line + "\r\nnext"), (V{line, "next"}));
}

// A line longer than the limit is skipped, counted, and never held whole; the lines around it
// are read as usual, also when it spans many reads or ends the file.
TEST(LineReader, LinesBeyondTheLimitAreSkippedAndCounted) {
    const std::string huge(3 << 20, 'y');
    const std::string longest(kLongestPathLine, 'z');
    EXPECT_EQ(Lines("a\r\n" + huge + "\r\n" + longest + "\r\nb\r\n" + huge, kLongestPathLine, 2),
              (V{"a", longest, "b"}));
    EXPECT_EQ(Lines("a\r\n" + huge + "\r\nb"), (V{"a", huge, "b"}));
}

TEST(LineReader, MissingOrUnreadableFileIsAFailure) {
    TestTree tree;
    FileSystem fs;
    V lines{"stale"};
    EXPECT_FALSE(ReadAllLines(fs, tree.Path("missing"), lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(ReadAllLines(fs, tree.Folder("dir"), lines));
}

} // namespace
