#include "Compare.h"

#include "FileSystem.h"
#include "ReadHandle.h"
#include "SampleBlocks.h"

#include <cstring>
#include <memory>

namespace quilder {

namespace {

bool ChunksEqual(const SampleBlocks& blocks, const char* a, const char* b, std::size_t count) {
    if (blocks.chunk == blocks.stride)
        return std::memcmp(a, b, count * blocks.chunk) == 0; // consecutive chunks: one run
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t at = k * blocks.stride;
        if (std::memcmp(a + at, b + at, blocks.chunk) != 0) return false;
    }
    return true;
}

} // namespace

bool CompareFiles(const std::string& first, const std::string& second, std::string_view code,
                  std::optional<std::uint64_t> listedSize) {
    const int order = OrderOfCode(code);
    if (!HasSamples(order)) return false;
    FileSystem& fs = FileSystemService();
    if (!fs.IsFile(first)) return false;
    if (!fs.IsFile(second)) return false;

    ReadHandle a(fs, first);
    ReadHandle b(fs, second);
    // A file that exists but cannot be opened or read is no evidence of equal content.
    if (!a.IsOpen() || !b.IsOpen()) return false;
    if (listedSize && (a.Size() != *listedSize || b.Size() != *listedSize)) return false;

    const SampleBlocks blocks = SampleBlocksOf(order);
    const auto bufferA = std::make_unique_for_overwrite<char[]>(blocks.readLength);
    const auto bufferB = std::make_unique_for_overwrite<char[]>(blocks.readLength);
    for (std::uint64_t block = 0;; ++block) {
        const std::uint64_t offset = blocks.Offset(block);
        const long long readA = a.ReadAt(bufferA.get(), blocks.readLength, offset);
        if (readA < 0) return false;
        const long long readB = b.ReadAt(bufferB.get(), blocks.readLength, offset);
        if (readB < 0) return false;
        const std::size_t whole = std::min(blocks.WholeChunks(static_cast<std::size_t>(readA)),
                                           blocks.WholeChunks(static_cast<std::size_t>(readB)));
        if (!ChunksEqual(blocks, bufferA.get(), bufferB.get(), whole)) return false;
        if (whole < blocks.perBlock) return true; // a chunk that does not fit ends the comparison
    }
}

} // namespace quilder
