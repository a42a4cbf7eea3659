#pragma once

#include "SizeClass.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace quilder {

// How the chunks of a sampled comparison are read. Chunk k lies at byte offset k * stride. Dense
// samples are read several at once in one positioned read (every page holding them is touched
// anyway); sparse ones one chunk per read. A read never needs to stop inside a chunk, because a
// block always ends with a whole chunk.
struct SampleBlocks {
    std::size_t chunk = 0;
    std::size_t stride = 0;
    std::size_t perBlock = 0;   // chunks per read
    std::size_t readLength = 0; // bytes per read

    // Offset of the first byte of block b.
    std::uint64_t Offset(std::uint64_t block) const { return block * perBlock * stride; }

    // Whole chunks in a block of which `filled` bytes could be read (fewer than readLength only at
    // the end of the file). A block with fewer than perBlock whole chunks is the last one.
    std::size_t WholeChunks(std::size_t filled) const {
        if (filled < chunk) return 0;
        return std::min(perBlock, (filled - chunk) / stride + 1);
    }
};

// Only classes that are compared by content have a chunk.
inline bool HasSamples(int classOrder) {
    return classOrder >= 0 && classOrder < kClassCount && kSizeClasses[classOrder].chunk > 0;
}

inline SampleBlocks SampleBlocksOf(int classOrder) {
    constexpr std::size_t kDenseStride = 4096; // a page: closer samples share pages
    constexpr std::size_t kBlockBytes = 64 * 1024;
    const SizeClass& c = kSizeClasses[classOrder];
    SampleBlocks blocks;
    blocks.chunk = static_cast<std::size_t>(c.chunk);
    blocks.stride = static_cast<std::size_t>(c.stride);
    blocks.perBlock = blocks.stride <= kDenseStride ? kBlockBytes / blocks.stride : 1;
    blocks.readLength = (blocks.perBlock - 1) * blocks.stride + blocks.chunk;
    return blocks;
}

} // namespace quilder
