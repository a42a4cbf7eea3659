#include "ContentSplit.h"

#include "EntryState.h"
#include "FileIdentity.h"
#include "FileSystem.h"
#include "PathText.h"

#include <xxhash.h>

#include <algorithm>
#include <numeric>
#include <unordered_map>

namespace quilder {

namespace {

// Files of one size mostly differ in their first bytes: one small read tells them apart.
constexpr std::uint64_t kHead = 4096;
constexpr std::size_t kRead = 1 << 20;

} // namespace

struct ContentSplitter::File {
    RecordedEntry entry;
    std::size_t row = 0; // its first row
    std::uint64_t head = 0;
    std::uint64_t whole = 0;
    int set = -1;
    bool out = false; // gone, unreadable or changed: identical to none
};

struct ContentSplitter::HashState {
    XXH3_state_t* state = XXH3_createState();
    ~HashState() { XXH3_freeState(state); }
};

ContentSplitter::ContentSplitter(FileSystem& fs, FolderHandles& folders, Yield yield)
    : fs_(fs), folders_(folders), yield_(std::move(yield)),
      check_(fs, [this] { return yield_(row_); }), buffer_(kRead),
      hash_(std::make_unique<HashState>()) {}

ContentSplitter::~ContentSplitter() = default;

std::optional<std::vector<int>> ContentSplitter::Split(const std::vector<std::string>& paths) {
    files_.clear();
    std::vector<int> fileOf(paths.size(), -1);
    std::unordered_map<std::uint64_t, Indices> byInode;
    for (std::size_t r = 0; r < paths.size(); ++r) {
        if (!yield_(r)) return std::nullopt;
        const auto [folder, name] = SplitEntryPath(paths[r]);
        EntryLook look = LookUpEntry(folders_, folder, name);
        if (look.kind != EntryLook::Kind::File) continue;
        Indices& same = byInode[look.entry.state.inode];
        const auto known = std::find_if(same.begin(), same.end(), [&](std::size_t f) {
            return MaybeSameFile(files_[f].entry.state, look.entry.state);
        });
        if (known != same.end()) {
            fileOf[r] = static_cast<int>(*known);
            continue;
        }
        same.push_back(files_.size());
        fileOf[r] = static_cast<int>(files_.size());
        files_.push_back({std::move(look.entry), r});
    }
    sets_ = 0;
    Indices all(files_.size());
    std::iota(all.begin(), all.end(), 0);
    if (!SplitBySize(std::move(all))) return std::nullopt;

    // Sets numbered in the order of their first rows.
    std::vector<int> renumbered(static_cast<std::size_t>(sets_), -1);
    int next = 0;
    std::vector<int> sets(paths.size(), -1);
    for (std::size_t r = 0; r < paths.size(); ++r) {
        if (fileOf[r] < 0) continue;
        const File& file = files_[static_cast<std::size_t>(fileOf[r])];
        if (file.out || file.set < 0) continue;
        int& number = renumbered[static_cast<std::size_t>(file.set)];
        if (number < 0) number = next++;
        sets[r] = number;
    }
    return sets;
}

namespace {

// The runs of two or more files with equal keys, each in the order given.
template <typename Key>
std::vector<std::vector<std::size_t>> Runs(std::vector<std::size_t> files, Key key) {
    std::stable_sort(files.begin(), files.end(),
                     [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
    std::vector<std::vector<std::size_t>> runs;
    for (std::size_t i = 0; i < files.size();) {
        std::size_t end = i + 1;
        while (end < files.size() && key(files[end]) == key(files[i]))
            ++end;
        if (end - i >= 2) runs.emplace_back(files.begin() + i, files.begin() + end);
        i = end;
    }
    return runs;
}

} // namespace

bool ContentSplitter::SplitBySize(Indices files) {
    for (const Indices& run :
         Runs(std::move(files), [&](std::size_t f) { return files_[f].entry.state.size; })) {
        // Most groups are copies of one file: comparing each with the first reads no more than
        // hashing would, and stops early on most files that differ. Only files that differ from
        // the first are hashed apart, so that they are not compared with each other in turn.
        Indices same{run.front()};
        Indices rest;
        for (std::size_t i = 1; i < run.size(); ++i) {
            File& file = files_[run[i]];
            const Match match = Compare(file, same);
            if (match == Match::Stopped) return false;
            if (match == Match::Same)
                same.push_back(run[i]);
            else if (!file.out)
                rest.push_back(run[i]);
        }
        Close(same);
        if (rest.size() >= 2 && !SplitByHashes(rest)) return false;
    }
    return true;
}

bool ContentSplitter::SplitByHashes(const Indices& files) {
    const std::uint64_t size = files_[files.front()].entry.state.size;
    Indices read;
    for (const std::size_t f : files) {
        if (!Hash(files_[f], std::min(size, kHead), files_[f].head)) return false;
        if (!files_[f].out) read.push_back(f);
    }
    for (const Indices& run : Runs(read, [&](std::size_t f) { return files_[f].head; })) {
        // A pair takes one comparison: hashing both whole first would only add to it.
        if (size <= kHead || run.size() == 2) {
            if (!Confirm(run)) return false;
            continue;
        }
        Indices hashed;
        for (const std::size_t f : run) {
            if (!Hash(files_[f], size, files_[f].whole)) return false;
            if (!files_[f].out) hashed.push_back(f);
        }
        for (const Indices& same : Runs(hashed, [&](std::size_t f) { return files_[f].whole; }))
            if (!Confirm(same)) return false;
    }
    return true;
}

// Hashes the first `length` bytes, or marks the file out.
bool ContentSplitter::Hash(File& file, std::uint64_t length, std::uint64_t& hash) {
    if (!YieldFor(file)) return false;
    UnchangedFile open(fs_, folders_, file.entry);
    file.out = !open.IsOpen();
    XXH3_64bits_reset(hash_->state);
    for (std::uint64_t offset = 0; !file.out && offset < length; offset += kRead) {
        if (offset > 0 && !YieldFor(file)) return false;
        const auto part = static_cast<std::size_t>(std::min<std::uint64_t>(kRead, length - offset));
        file.out = !open.ReadWhole(buffer_.data(), part, offset);
        XXH3_64bits_update(hash_->state, buffer_.data(), part);
    }
    file.out = file.out || !open.Unchanged(file.entry.state);
    hash = XXH3_64bits_digest(hash_->state);
    return true;
}

// Compares files of equal hashes byte for byte; each file joins the first set it equals.
bool ContentSplitter::Confirm(const Indices& files) {
    std::vector<Indices> sets;
    for (const std::size_t f : files) {
        File& file = files_[f];
        bool placed = false;
        for (Indices& set : sets) {
            const Match match = Compare(file, set);
            if (match == Match::Stopped) return false;
            if (file.out) break;
            if (match == Match::Same) {
                set.push_back(f);
                placed = true;
                break;
            }
        }
        if (!placed && !file.out) sets.push_back({f});
    }
    for (const Indices& set : sets)
        Close(set);
    return true;
}

// Numbers a set of two or more identical files.
void ContentSplitter::Close(const Indices& set) {
    if (set.size() < 2) return;
    for (const std::size_t f : set)
        files_[f].set = sets_;
    ++sets_;
}

// Compares the file with the first of the set. A first file that changed since it was hashed
// leaves the set, and the next one stands for it.
ContentSplitter::Match ContentSplitter::Compare(File& file, Indices& set) {
    while (!set.empty()) {
        File& first = files_[set.front()];
        if (!YieldFor(file)) return Match::Stopped;
        RecordedEntry a = file.entry;
        RecordedEntry b = first.entry;
        const ContentVerdict verdict = check_.Compare(folders_, a, b);
        if (verdict == ContentVerdict::Abandoned) return Match::Stopped;
        // Every comparison must see the state that was hashed, or equal bytes prove nothing.
        if (verdict == ContentVerdict::Same && a.state == file.entry.state &&
            b.state == first.entry.state)
            return Match::Same;
        if (!AsRecorded(first)) {
            first.out = true;
            set.erase(set.begin());
            continue;
        }
        if (verdict == ContentVerdict::NotCompared || !AsRecorded(file)) file.out = true;
        return Match::Differs;
    }
    return Match::Differs;
}

bool ContentSplitter::AsRecorded(const File& file) {
    const EntryLook now = LookUpEntry(folders_, file.entry.folderPath, file.entry.name);
    return now.kind == EntryLook::Kind::File && now.entry.folder == file.entry.folder &&
           now.entry.state == file.entry.state;
}

bool ContentSplitter::YieldFor(const File& file) {
    row_ = file.row;
    return yield_(row_);
}

} // namespace quilder
