#include "Compare.h"
#include "RecordingFileSystem.h"
#include "SizeClass.h"
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
        const char changed = static_cast<char>(bytes.at(position - 1) ^ 0x5A);
        bytes.replace(position - 1, 1, 1, changed);
        return bytes;
    }

    TestTree tree;
    test::RecordingFileSystem* fs = nullptr;
};

// At both bounds of every class compared by content: the last chunk that fits whole is compared,
// anything after it is not, and so is nothing between two samples.
TEST_F(CompareFilesTest, ComparesExactlyTheChunksThatFitAtTheClassBounds) {
    for (int order = 0; order <= 4; ++order) {
        const SizeClass& c = kSizeClasses[order];
        const std::string code(c.code);
        for (const std::uint64_t size : {std::max<std::uint64_t>(c.smallest, 1), c.largest}) {
            SCOPED_TRACE(code + " " + std::to_string(size));
            const std::uint64_t chunk = static_cast<std::uint64_t>(c.chunk);
            const std::uint64_t stride = static_cast<std::uint64_t>(c.stride);
            const std::uint64_t last = 1 + stride * ((size - chunk) / stride); // last whole chunk
            const std::string bytes = TestTree::Bytes(size, 7);
            const std::string a = tree.File("a", bytes);
            const auto variant = [&](std::uint64_t position) {
                return tree.File("b", Flipped(bytes, position));
            };

            EXPECT_TRUE(CompareFiles(a, tree.File("b", bytes), code));
            EXPECT_FALSE(CompareFiles(a, variant(1), code));
            EXPECT_FALSE(CompareFiles(a, variant(last), code));
            EXPECT_FALSE(CompareFiles(a, variant(last + chunk - 1), code));
            if (last + chunk <= size) {
                EXPECT_TRUE(CompareFiles(a, variant(size), code));
            }
            if (chunk < stride) {
                EXPECT_TRUE(CompareFiles(a, variant(chunk + 1), code)); // between samples
                EXPECT_FALSE(CompareFiles(a, variant(stride + 1), code));
            }
        }
    }
}

TEST_F(CompareFilesTest, AShorterFileEndsTheComparisonWhicheverComesFirst) {
    const std::string bytes = TestTree::Bytes(30000, 4);
    const std::string whole = tree.File("whole", bytes);
    const std::string prefix = tree.File("prefix", bytes.substr(0, 25000));
    const std::string otherPrefix = tree.File("other", Flipped(bytes.substr(0, 25000), 205));
    EXPECT_TRUE(CompareFiles(whole, prefix, "s"));
    EXPECT_TRUE(CompareFiles(prefix, whole, "s"));
    EXPECT_FALSE(CompareFiles(whole, otherPrefix, "s"));
    EXPECT_FALSE(CompareFiles(otherPrefix, whole, "s"));
}

TEST_F(CompareFilesTest, MissingFilesAreAnsweredBeforeAnythingIsOpened) {
    const std::string a = tree.File("a", "same");
    const std::string b = tree.File("b", "same");
    EXPECT_FALSE(CompareFiles("", b, "t"));
    EXPECT_EQ(fs->checked, (std::vector<std::string>{""})); // the second is not even looked at
    EXPECT_FALSE(CompareFiles(a, tree.Path("gone"), "t"));
    EXPECT_FALSE(CompareFiles(a, "", "t"));
    EXPECT_FALSE(CompareFiles(tree.Folder("dir"), b, "t"));
    EXPECT_TRUE(fs->opened.empty());
    EXPECT_TRUE(CompareFiles(a, b, "t"));
}

// A failure other than the end of a file is no evidence of equal content; nothing stays open.
TEST_F(CompareFilesTest, AFileThatCannotBeOpenedOrReadNeverMatches) {
    const std::string bytes = TestTree::Bytes(500000, 5);
    const std::string a = tree.File("a", bytes);
    const std::string b = tree.File("b", bytes);
    ASSERT_TRUE(CompareFiles(a, b, "n"));

    fs->unopenable = {b};
    EXPECT_FALSE(CompareFiles(a, b, "n"));
    fs->unopenable = {a};
    EXPECT_FALSE(CompareFiles(a, b, "n"));
    fs->unopenable.clear();

    fs->failFrom[b] = 300000; // a read error well inside the file
    EXPECT_FALSE(CompareFiles(a, b, "n"));
    EXPECT_FALSE(CompareFiles(b, a, "n"));
    fs->failFrom = {{a, 0}};
    EXPECT_FALSE(CompareFiles(a, b, "n"));
    EXPECT_TRUE(fs->openFiles.empty());
}

} // namespace
