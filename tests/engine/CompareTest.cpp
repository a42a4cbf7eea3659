#include "Compare.h"
#include "RecordingFileSystem.h"
#include "TestTree.h"

#include <gtest/gtest.h>

using namespace quilder;
using quilder::test::TestTree;

namespace {

class CompareFilesTest : public ::testing::Test {
protected:
    void SetUp() override { fs = &test::InstallRecordingFileSystem(); }
    void TearDown() override { ReleaseFileSystemService(); }

    // A copy of `bytes` with the byte at `position` (counted from 1) changed.
    static std::string Flipped(std::string bytes, std::uint64_t position) {
        bytes.at(position - 1) = static_cast<char>(bytes.at(position - 1) ^ 0x5A);
        return bytes;
    }

    TestTree tree;
    test::RecordingFileSystem* fs = nullptr;
};

// At both bounds of every class compared by content: the last chunk that fits whole is compared,
// anything after it is not, and so is nothing between two samples.
TEST_F(CompareFilesTest, ComparesExactlyTheChunksThatFitAtTheClassBounds) {
    struct Sampled {
        const char* code;
        std::uint64_t chunk, stride, smallest, largest;
    };
    for (const Sampled c :
         {Sampled{"t", 1, 1, 1, 1023}, Sampled{"vs", 10, 10, 1024, 10239},
          Sampled{"s", 6, 204, 10240, 102399}, Sampled{"n", 6, 2096, 102400, 1048575},
          Sampled{"l", 6, 17476, 1048576, 10485759}}) {
        for (const std::uint64_t size : {c.smallest, c.largest}) {
            SCOPED_TRACE(std::string(c.code) + " " + std::to_string(size));
            const std::uint64_t last = 1 + c.stride * ((size - c.chunk) / c.stride);
            const std::string bytes = TestTree::Bytes(size, 7);
            const std::string a = tree.File("a", bytes);
            const auto same = [&](std::uint64_t changedAt) {
                return CompareFiles(a, tree.File("b", Flipped(bytes, changedAt)), c.code);
            };
            EXPECT_TRUE(CompareFiles(a, tree.File("b", bytes), c.code));
            EXPECT_FALSE(same(1));
            EXPECT_FALSE(same(last));
            EXPECT_FALSE(same(last + c.chunk - 1));
            if (last + c.chunk <= size) {
                EXPECT_TRUE(same(size));
            }
            if (c.chunk < c.stride) {
                EXPECT_TRUE(same(c.chunk + 1)); // between samples
                EXPECT_FALSE(same(c.stride + 1));
            }
        }
    }
}

// Without a listed size a shorter file ends the comparison; with one, a file of another size
// (changed since it was listed) matches nothing, whichever comes first.
TEST_F(CompareFilesTest, AFileOfAnotherSizeThanListedMatchesNothing) {
    const std::string bytes = TestTree::Bytes(30000, 4);
    const std::string whole = tree.File("whole", bytes);
    const std::string grown = tree.File("grown", bytes + "more");
    EXPECT_TRUE(CompareFiles(whole, grown, "s"));
    EXPECT_TRUE(CompareFiles(grown, whole, "s"));
    EXPECT_FALSE(
        CompareFiles(whole, tree.File("other", Flipped(bytes.substr(0, 25000), 205)), "s"));
    EXPECT_TRUE(CompareFiles(whole, tree.File("copy", bytes), "s", 30000));
    EXPECT_FALSE(CompareFiles(whole, grown, "s", 30000));
    EXPECT_FALSE(CompareFiles(grown, whole, "s", 30000));
}

// A failure other than the end of a file is no evidence of equal content; nothing stays open.
TEST_F(CompareFilesTest, MissingUnopenableOrUnreadableFilesNeverMatch) {
    const std::string bytes = TestTree::Bytes(500000, 5);
    const std::string a = tree.File("a", bytes);
    const std::string b = tree.File("b", bytes);
    EXPECT_FALSE(CompareFiles("", b, "n"));
    EXPECT_EQ(fs->checked, (std::vector<std::string>{""})); // the second is not even looked at
    EXPECT_FALSE(CompareFiles(a, tree.Path("gone"), "n"));
    EXPECT_FALSE(CompareFiles(tree.Folder("dir"), b, "n"));
    EXPECT_TRUE(fs->opened.empty());
    ASSERT_TRUE(CompareFiles(a, b, "n"));

    fs->unopenable = {b};
    EXPECT_FALSE(CompareFiles(a, b, "n"));
    fs->unopenable.clear();
    fs->failFrom[b] = 300000; // a read error well inside the file
    EXPECT_FALSE(CompareFiles(a, b, "n"));
    EXPECT_FALSE(CompareFiles(b, a, "n"));
    EXPECT_TRUE(fs->openFiles.empty());
}

} // namespace
