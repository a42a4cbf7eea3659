#pragma once

#include "FileSystem.h"
#include "SampleBlocks.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quilder {

// Reads, once, the chunks of one file that CompareFiles would look at: every chunk that fits
// whole, in order, one after the other.
class SampleReader {
public:
    explicit SampleReader(int classOrder);
    // Appends the file's samples to `out`; false (and `out` as it was) when the file cannot be
    // opened or read. Reading stops at `length`, the size the file was listed with: asking for no
    // more than that saves the read that would only find the end of the file.
    // With `firstChunk`, the chunks before it are left out: they were read before. With
    // `exactLength`, a file of any other size when opened (changed since listed) gives false.
    // `facts` receives the file's size and time when it was opened.
    bool Append(FileSystem& fs, const std::string& path, std::string& out, std::uint64_t length,
                std::uint64_t firstChunk = 0, bool exactLength = false, FileFacts* facts = nullptr);
    // The same for a file already open (`opened`: its size and time then); it stays open.
    // `firstBlock`, when given, holds the bytes of the first read, already read.
    bool AppendOpen(FileSystem& fs, int fd, const FileFacts& opened, std::string& out,
                    std::uint64_t length, std::uint64_t firstChunk = 0, bool exactLength = false,
                    FileFacts* facts = nullptr,
                    std::optional<std::string_view> firstBlock = std::nullopt);
    // Bytes of the first read of a file listed with `length` bytes.
    std::size_t FirstReadLength(std::uint64_t length) const {
        return static_cast<std::size_t>(std::min<std::uint64_t>(blocks_.readLength, length));
    }
    // Chunks that lie whole within the first `length` bytes.
    std::uint64_t ChunksWithin(std::uint64_t length) const;

private:
    SampleBlocks blocks_;
    char* buffer_; // the thread's own
};

std::uint64_t HashSamples(std::string_view samples);
using SampleHash = std::uint64_t (*)(std::string_view);

// Bytes of samples of the largest file of a class compared by content.
std::size_t MostSamplesPerFile(int classOrder);

inline constexpr std::size_t kNoMatch = SIZE_MAX;

// Bytes at the start of a file whose samples are read first for every file of a list, when
// its files are longer than kTwoStepsAbove. Below that, opening a file twice costs more than
// reading all of it at once.
inline constexpr std::uint64_t kProbeBytes = 16384;
inline constexpr std::uint64_t kTwoStepsAbove = 262144;

// What the grouping of one scan list knows after reading every file's samples once.
struct SampledList {
    // For each position (from 0), the next later position with equal sample hash, or kNoMatch.
    // Files that cannot be read have no later match and are no one's match. Following the links
    // from a position visits, in ascending order, every later position that CompareFiles could
    // find equal to it.
    std::vector<std::size_t> next;
    // The samples themselves, for as many files as fit the memory budget: a match between two
    // kept files is confirmed without reading either again.
    std::string kept;
    std::vector<std::size_t> keptAt;     // offset into kept, or kNoMatch when not kept
    std::vector<std::size_t> keptLength; // bytes in kept
    // Each position's sample hash, with whether it may match at all: what `next` was made of.
    std::vector<std::uint64_t> hash;
    std::vector<bool> matchable;
    // Each matchable position's size and time when its samples were read.
    std::vector<std::optional<FileFacts>> facts;

    bool IsKept(std::size_t position) const { return keptAt[position] != kNoMatch; }
    std::string_view SamplesOf(std::size_t position) const {
        return std::string_view(kept).substr(keptAt[position], keptLength[position]);
    }
    std::optional<FileFacts> FactsOf(std::size_t position) const {
        return position < facts.size() ? facts[position] : std::nullopt;
    }
};

// `listedSize` is the size all files had when they were listed; samples beyond it are not read,
// and with `exactSize` a file of another size is no one's match. Up to `keepBudget` bytes of
// samples are kept. Once `stop` is set, no further file is read and the result is of no use.
SampledList SampleList(FileSystem& fs, std::span<const std::string> paths, int classOrder,
                       std::uint64_t listedSize, bool exactSize, std::size_t keepBudget,
                       SampleHash hash = HashSamples, const std::atomic<bool>* stop = nullptr);

// Whether a list's files are sampled each on its own, so that parts of the list can be sampled
// apart and joined: not when long files are read in two steps across the whole list.
bool SampledFileByFile(std::uint64_t listedSize);

// The sampling of consecutive parts of one list, as one: positions, kept samples and links run
// on from part to part, exactly as if the whole list had been sampled at once.
SampledList JoinSampled(std::vector<SampledList> parts);

} // namespace quilder
