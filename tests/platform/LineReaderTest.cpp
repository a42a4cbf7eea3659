#include "LineReader.h"
#include "TestTree.h"

#include <gtest/gtest.h>

using namespace quilder;
using quilder::test::TestTree;
using V = std::vector<std::string>;

namespace {

V Lines(const std::string& content, std::size_t maxLine = SIZE_MAX, std::size_t skipped = 0,
        bool lineFeedEnds = false) {
    TestTree tree;
    FileSystem fs;
    LineReader reader(fs, tree.File("f", content));
    reader.SetMaxLineLength(maxLine);
    if (lineFeedEnds) reader.AcceptLineFeedEnds();
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

// Where an LF ends a line too, CR LF is still one line end, also split between two reads, and a
// lone CR still ends a line; the lines before an LF are found after a CR further on and back.
TEST(LineReader, LineFeedEndsALineWhereAccepted) {
    const auto lines = [](const std::string& content, std::size_t maxLine = SIZE_MAX,
                          std::size_t skipped = 0) {
        return Lines(content, maxLine, skipped, true);
    };
    EXPECT_EQ(lines("a\nb\r\nc\rd\n\ne\n\rf\n"), (V{"a", "b", "c", "d", "", "e", "", "f"}));
    EXPECT_EQ(lines("one\ntwo\nthree\rfour"), (V{"one", "two", "three", "four"}));
    const std::string line(65535, 'x');
    EXPECT_EQ(lines(line + "\r\nnext\n"), (V{line, "next"}));
    EXPECT_EQ(lines(line + "\n" + line + "\nend"), (V{line, line, "end"}));
    const std::string huge(3 << 20, 'y');
    EXPECT_EQ(lines("a\n" + huge + "\nb\n" + huge, kLongestPathLine, 2), (V{"a", "b"}));
    // Many short lines over many reads: each line once, in order.
    std::string many;
    V expected;
    for (int i = 0; i < 30000; ++i) {
        expected.push_back(std::to_string(i));
        many += expected.back() + (i % 1000 == 999 ? "\r\n" : "\n");
    }
    EXPECT_EQ(lines(many), expected);
}

} // namespace
