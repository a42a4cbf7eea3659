#include "Compare.h"
#include "RecordingFileSystem.h"
#include "SizeClass.h"
#include "TestTree.h"

#include <gtest/gtest.h>

using namespace quilder;
using quilder::test::TestTree;

namespace {

// A copy of `bytes` with the byte at `position` (counted from 1) changed.
std::string Flipped(std::string bytes, std::uint64_t position) {
    bytes.at(position - 1) = static_cast<char>(bytes.at(position - 1) ^ 0x5A);
    return bytes;
}

// At both bounds of every class compared by content: the last chunk that fits whole is compared,
// anything after it is not, and so is nothing between two samples. From 10 MB on nothing is
// sampled: very large, then huge from 100 MB.
TEST(CompareFiles, ComparesTheChunksThatFitAndNeverMatchesAChangedOrUnreadableFile) {
    for (const auto& [size, code] : std::initializer_list<std::pair<std::uint64_t, const char*>>{
             {0, "t"}, {10485760, "vl"}, {104857599, "vl"}, {104857600, "h"}, {UINT64_MAX, "h"}})
        EXPECT_EQ(kSizeClasses[ClassOfSize(size)].code, std::string(code)) << size;
    TestTree tree;
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
            EXPECT_EQ(kSizeClasses[ClassOfSize(size)].code, c.code);
            const std::uint64_t last = 1 + c.stride * ((size - c.chunk) / c.stride);
            const std::string bytes = TestTree::Bytes(size, 7);
            const std::string a = tree.File("a", bytes);
            const auto same = [&](std::uint64_t changedAt) {
                return CompareFiles(a, tree.File("b", Flipped(bytes, changedAt)), c.code);
            };
            EXPECT_TRUE(CompareFiles(a, tree.File("b", bytes), c.code));
            EXPECT_FALSE(same(1) || same(last) || same(last + c.chunk - 1));
            EXPECT_TRUE(last + c.chunk > size || same(size));
            EXPECT_TRUE(c.chunk == c.stride || (same(c.chunk + 1) && !same(c.stride + 1)));
        }
    }

    // Without a listed size a shorter file ends the comparison; with one, a file of another size
    // (changed since it was listed) matches nothing, whichever comes first. A failure other than
    // the end of a file is no evidence of equal content.
    auto& fs = test::InstallRecordingFileSystem();
    const std::string bytes = TestTree::Bytes(300000, 4);
    const std::string a = tree.File("a", bytes), b = tree.File("b", bytes);
    const std::string grown = tree.File("grown", bytes + "more");
    EXPECT_TRUE(CompareFiles(a, grown, "n") && CompareFiles(grown, a, "n"));
    EXPECT_TRUE(CompareFiles(a, b, "n", 300000));
    EXPECT_FALSE(CompareFiles(a, grown, "n", 300000) || CompareFiles(grown, a, "n", 300000));
    EXPECT_FALSE(CompareFiles(a, "", "n") || CompareFiles(a, tree.Folder("dir"), "n"));
    fs.unopenable = {b};
    EXPECT_FALSE(CompareFiles(a, b, "n"));
    fs.unopenable.clear();
    fs.failFrom[b] = 200000; // a read error well inside the file
    EXPECT_FALSE(CompareFiles(a, b, "n") || CompareFiles(b, a, "n"));
    ReleaseFileSystemService();
}

} // namespace
