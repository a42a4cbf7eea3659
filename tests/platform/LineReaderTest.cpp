#include "LineReader.h"
#include "TestTree.h"

#include <gtest/gtest.h>

using namespace quilder;
using quilder::test::TestTree;

namespace {

std::vector<std::string> Lines(const std::string& content) {
    TestTree tree;
    const std::string path = tree.File("f", content);
    FileSystem fs;
    std::vector<std::string> lines;
    EXPECT_TRUE(ReadAllLines(fs, path, lines));
    return lines;
}

using V = std::vector<std::string>;

TEST(LineReader, SplitsAtCarriageReturnsAndKeepsLoneLineFeeds) {
    EXPECT_EQ(Lines("a\r\nb\r\n"), (V{"a", "b"}));
    EXPECT_EQ(Lines("a\r\nlast"), (V{"a", "last"}));
    EXPECT_EQ(Lines("a\rb\r"), (V{"a", "b"}));
    EXPECT_EQ(Lines("one\ntwo\r\n"), (V{"one\ntwo"}));
    EXPECT_EQ(Lines("\r\n\r\nx\r\n"), (V{"", "", "x"}));
    EXPECT_EQ(Lines(""), V{});
    EXPECT_EQ(Lines(std::string("nul\0byte\r\n", 10)), (V{std::string("nul\0byte", 8)}));
}

TEST(LineReader, LinesAcrossBufferBoundaries) {
    // A CR as the very last byte of one read and its LF as the first of the next.
    const std::string longLine(65535, 'x');
    EXPECT_EQ(Lines(longLine + "\r\nnext\r\n"), (V{longLine, "next"}));
    const std::string megabyte(1 << 20, 'y');
    EXPECT_EQ(Lines("a\r\n" + megabyte + "\r\nb"), (V{"a", megabyte, "b"}));
}

TEST(LineReader, MissingOrUnreadableFileIsAFailure) {
    TestTree tree;
    FileSystem fs;
    std::vector<std::string> lines{"stale"};
    EXPECT_FALSE(ReadAllLines(fs, tree.Path("missing"), lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(ReadAllLines(fs, tree.Folder("dir"), lines));
}

} // namespace
