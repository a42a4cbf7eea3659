#include "Fingerprint.h"

#include "BatchReads.h"
#include "ReadHandle.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

namespace quilder {

namespace {

constexpr std::uint64_t kSecret0 = 0xA0761D6478BD642FULL;
constexpr std::uint64_t kSecret1 = 0xE7037ED1A0B428DBULL;
constexpr std::uint64_t kSecret2 = 0x8EBC6AF09C88C6E3ULL;

std::uint64_t Word(const char* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, 8);
    return word;
}

// The full 128-bit product folded to 64 bits: one multiplication mixes 16 bytes.
std::uint64_t Fold(std::uint64_t a, std::uint64_t b) {
    __extension__ using Wide = unsigned __int128;
    const Wide product = static_cast<Wide>(a) * b;
    return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

} // namespace

// Two independent chains keep the multiplier busy; collisions only cost a confirming comparison.
std::uint64_t HashSamples(std::string_view samples) {
    const char* p = samples.data();
    std::size_t left = samples.size();
    std::uint64_t a = kSecret0 ^ samples.size();
    std::uint64_t b = kSecret1;
    for (; left >= 32; left -= 32, p += 32) {
        a = Fold(Word(p) ^ kSecret1, Word(p + 8) ^ a);
        b = Fold(Word(p + 16) ^ kSecret2, Word(p + 24) ^ b);
    }
    for (; left >= 8; left -= 8, p += 8)
        a = Fold(Word(p) ^ kSecret1, a ^ kSecret2);
    if (left > 0) {
        std::uint64_t tail = 0;
        std::memcpy(&tail, p, left);
        // Never b ^ kSecret1: before any 32-byte block that is zero, and the tail would be lost.
        b = Fold(tail ^ kSecret2, b ^ kSecret0);
    }
    return Fold(a ^ kSecret0, b ^ kSecret2 ^ samples.size());
}

std::size_t MostSamplesPerFile(int classOrder) {
    const SizeClass& c = kSizeClasses[classOrder];
    const auto chunk = static_cast<std::uint64_t>(c.chunk);
    return static_cast<std::size_t>(
        ((c.largest - chunk) / static_cast<std::uint64_t>(c.stride) + 1) * chunk);
}

namespace {

// One read buffer per thread, large enough for every class: a list of two or three files is
// sampled in far less time than a fresh 64 KB buffer costs (its pages are touched anew).
char* ReadBuffer() {
    static const std::size_t length = [] {
        std::size_t most = 0;
        for (int order = 0; order < kClassCount; ++order)
            if (HasSamples(order)) most = std::max(most, SampleBlocksOf(order).readLength);
        return most;
    }();
    thread_local const std::unique_ptr<char[]> buffer =
        std::make_unique_for_overwrite<char[]>(length);
    return buffer.get();
}

} // namespace

SampleReader::SampleReader(int classOrder)
    : blocks_(SampleBlocksOf(classOrder)), buffer_(ReadBuffer()) {}

std::uint64_t SampleReader::ChunksWithin(std::uint64_t length) const {
    return length < blocks_.chunk ? 0 : (length - blocks_.chunk) / blocks_.stride + 1;
}

bool SampleReader::Append(FileSystem& fs, const std::string& path, std::string& out,
                          std::uint64_t length, std::uint64_t firstChunk, bool exactLength,
                          FileFacts* facts) {
    ReadHandle file(fs, path);
    if (!file.IsOpen()) return false;
    return AppendOpen(fs, file.Descriptor(), file.Facts(), out, length, firstChunk, exactLength,
                      facts);
}

bool SampleReader::AppendOpen(FileSystem& fs, int fd, const FileFacts& opened, std::string& out,
                              std::uint64_t length, std::uint64_t firstChunk, bool exactLength,
                              FileFacts* facts, std::optional<std::string_view> firstBlock) {
    if (exactLength && opened.size != length) return false;
    if (facts) *facts = opened;
    // Reads stop at the size the file had when it was opened: that spares the read that would
    // only find the end.
    length = std::min(length, opened.size);
    const std::size_t before = out.size();
    for (std::uint64_t block = 0;; ++block) {
        const std::uint64_t offset = blocks_.Offset(block) + firstChunk * blocks_.stride;
        if (offset >= length) return true;
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(blocks_.readLength, length - offset));
        const char* bytes = buffer_;
        long long read;
        if (block == 0 && firstBlock) {
            bytes = firstBlock->data();
            read = static_cast<long long>(std::min(firstBlock->size(), wanted));
        } else {
            read = fs.ReadAt(fd, buffer_, wanted, offset);
        }
        if (read < 0) {
            out.resize(before);
            return false;
        }
        const std::size_t whole = blocks_.WholeChunks(static_cast<std::size_t>(read));
        if (blocks_.chunk == blocks_.stride) {
            out.append(bytes, whole * blocks_.chunk);
        } else {
            for (std::size_t k = 0; k < whole; ++k)
                out.append(bytes + k * blocks_.stride, blocks_.chunk);
        }
        if (whole < blocks_.perBlock) return true;
    }
}

namespace {

// Files opened together, and open at once, while a list is sampled.
constexpr std::size_t kOpenedAtOnce = 32;

bool Stopped(const std::atomic<bool>* stop) {
    return stop && stop->load(std::memory_order_relaxed);
}

// The first bytes of each file of a list: most files of a list already differ from all others
// there, and then need no more reading.
struct Heads {
    std::string samples;
    std::vector<std::size_t> at;     // offset into samples, or kNoMatch: shared with no one
    std::vector<std::size_t> length; // bytes in samples
};

Heads ReadHeads(FileSystem& fs, SampleReader& reader, std::span<const std::string> paths,
                SampleHash hash, const std::atomic<bool>* stop) {
    Heads heads;
    heads.at.assign(paths.size(), kNoMatch);
    heads.length.assign(paths.size(), 0);
    std::vector<std::pair<std::uint64_t, std::size_t>> keyed;
    keyed.reserve(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (Stopped(stop)) break;
        const std::size_t at = heads.samples.size();
        if (!reader.Append(fs, paths[i], heads.samples, kProbeBytes)) continue; // never a match
        heads.at[i] = at;
        heads.length[i] = heads.samples.size() - at;
        keyed.emplace_back(hash(std::string_view(heads.samples).substr(at)), i);
    }
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t k = 0; k < keyed.size(); ++k) {
        const bool shared = (k > 0 && keyed[k - 1].first == keyed[k].first) ||
                            (k + 1 < keyed.size() && keyed[k + 1].first == keyed[k].first);
        if (!shared) heads.at[keyed[k].second] = kNoMatch;
    }
    return heads;
}

// Links each matchable position to the next later one of equal hash.
void Link(SampledList& list) {
    std::vector<std::pair<std::uint64_t, std::size_t>> keyed;
    keyed.reserve(list.hash.size());
    for (std::size_t i = 0; i < list.hash.size(); ++i)
        if (list.matchable[i]) keyed.emplace_back(list.hash[i], i);
    std::sort(keyed.begin(), keyed.end());
    list.next.assign(list.hash.size(), kNoMatch);
    for (std::size_t k = 1; k < keyed.size(); ++k)
        if (keyed[k].first == keyed[k - 1].first) list.next[keyed[k - 1].second] = keyed[k].second;
}

} // namespace

bool SampledFileByFile(std::uint64_t listedSize) {
    return listedSize <= kTwoStepsAbove;
}

SampledList JoinSampled(std::vector<SampledList> parts) {
    SampledList whole;
    for (const SampledList& part : parts) {
        whole.hash.insert(whole.hash.end(), part.hash.begin(), part.hash.end());
        whole.matchable.insert(whole.matchable.end(), part.matchable.begin(), part.matchable.end());
        whole.facts.insert(whole.facts.end(), part.facts.begin(), part.facts.end());
    }
    Link(whole);
    // Only samples that may be compared are worth a copy: those of files that share a hash.
    std::vector<bool> shared(whole.next.size(), false);
    for (std::size_t i = 0; i < whole.next.size(); ++i)
        if (whole.next[i] != kNoMatch) shared[i] = shared[whole.next[i]] = true;
    whole.keptAt.assign(whole.next.size(), kNoMatch);
    whole.keptLength.assign(whole.next.size(), 0);
    std::size_t position = 0;
    for (const SampledList& part : parts) {
        for (std::size_t i = 0; i < part.keptAt.size(); ++i, ++position) {
            if (!shared[position] || part.keptAt[i] == kNoMatch) continue;
            whole.keptAt[position] = whole.kept.size();
            whole.keptLength[position] = part.keptLength[i];
            whole.kept.append(part.kept, part.keptAt[i], part.keptLength[i]);
        }
    }
    return whole;
}

SampledList SampleList(FileSystem& fs, std::span<const std::string> paths, int classOrder,
                       std::uint64_t listedSize, bool exactSize, std::size_t keepBudget,
                       SampleHash hash, const std::atomic<bool>* stop) {
    SampleReader reader(classOrder);
    SampledList list;
    list.next.assign(paths.size(), kNoMatch);
    list.keptAt.assign(paths.size(), kNoMatch);
    list.keptLength.assign(paths.size(), 0);

    // Long files are read in two steps: the head of every file, then the rest of those whose
    // head another file shares. No sample is read twice.
    const bool twoSteps = !SampledFileByFile(listedSize) && paths.size() > 1;
    const Heads heads = twoSteps ? ReadHeads(fs, reader, paths, hash, stop) : Heads{};
    const std::uint64_t headChunks = twoSteps ? reader.ChunksWithin(kProbeBytes) : 0;

    // Reserved once, so that keeping samples never needs twice the budget while growing.
    const std::size_t mostPerFile = MostSamplesPerFile(classOrder);
    list.kept.reserve(std::min(keepBudget, paths.size() * mostPerFile) + mostPerFile);
    list.hash.assign(paths.size(), 0);
    list.matchable.assign(paths.size(), false);
    list.facts.assign(paths.size(), std::nullopt);
    std::string scratch;
    FileFacts facts;
    // Files read whole in one step are opened and closed a batch at a time: for small files the
    // system calls cost more than the reading.
    const bool batched = !twoSteps && SafeOnAnyThread(fs);
    std::array<int, kOpenedAtOnce> fds;
    std::array<FileFacts, kOpenedAtOnce> opened;
    // The first read of each file comes with its opening.
    std::array<long long, kOpenedAtOnce> firstRead;
    const std::size_t firstLength = reader.FirstReadLength(listedSize);
    thread_local std::vector<char> firstBytes;
    if (batched && firstBytes.size() < kOpenedAtOnce * firstLength)
        firstBytes.resize(kOpenedAtOnce * firstLength);
    std::size_t batchFrom = 0;
    std::size_t batchEnd = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (Stopped(stop)) break;
        if (twoSteps && heads.at[i] == kNoMatch) continue;
        if (batched && i == batchEnd) {
            CloseReadMany(std::span(fds).first(batchEnd - batchFrom));
            batchFrom = i;
            batchEnd = std::min(paths.size(), i + kOpenedAtOnce);
            const std::size_t count = batchEnd - batchFrom;
            OpenReadMany(paths.subspan(batchFrom, count), std::span(fds).first(count),
                         std::span(opened).first(count),
                         {firstLength, firstBytes.data(), firstRead.data()});
        }
        const bool keep = list.kept.size() + mostPerFile <= keepBudget;
        std::string& into = keep ? list.kept : scratch;
        const std::size_t at = keep ? list.kept.size() : 0;
        if (!keep) scratch.clear();
        if (twoSteps) into.append(heads.samples, heads.at[i], heads.length[i]);
        const std::size_t k = i - batchFrom;
        const bool read =
            batched
                ? fds[k] >= 0 && firstRead[k] >= 0 &&
                      reader.AppendOpen(fs, fds[k], opened[k], into, listedSize, headChunks,
                                        exactSize, &facts,
                                        std::string_view(firstBytes.data() + k * firstLength,
                                                         static_cast<std::size_t>(firstRead[k])))
                : reader.Append(fs, paths[i], into, listedSize, headChunks, exactSize, &facts);
        if (!read) {
            into.resize(at);
            continue;
        }
        list.facts[i] = facts;
        const std::string_view samples = std::string_view(into).substr(at);
        list.hash[i] = hash(samples);
        list.matchable[i] = true;
        if (keep) {
            list.keptAt[i] = at;
            list.keptLength[i] = samples.size();
        }
    }
    if (batched) CloseReadMany(std::span(fds).first(batchEnd - batchFrom));
    Link(list);
    return list;
}

} // namespace quilder
