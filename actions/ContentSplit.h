#pragma once

#include "ContentCheck.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quilder {

class FileSystem;
class FolderHandles;

// Splits the rows of one group into sets of identical files. Rows that name one file (the same
// inode, or across a bind or overlay mount the same inode number, size and times) count as one
// file and are never compared with each other. Files of one size are compared byte for byte with
// the first; those that differ from it are told apart by a hash of their first bytes, then, where
// that is not enough, of their whole content, and compared byte for byte only within equal
// hashes. So each file is read a few times at most, however many contents a group holds.
class ContentSplitter {
public:
    // Runs before each file, and between the reads of a large one, with the row whose file is
    // read next; false stops the split.
    using Yield = std::function<bool(std::size_t row)>;

    ContentSplitter(FileSystem& fs, FolderHandles& folders, Yield yield);
    ~ContentSplitter();

    // For each path, the number of its set of identical files (0, 1, ... in the order of their
    // first rows), or -1 when no other file is identical to it: a set of one file, or a file that
    // is gone, cannot be read, or changed while it was looked at. Nothing when stopped.
    std::optional<std::vector<int>> Split(const std::vector<std::string>& paths);

private:
    struct File;
    using Indices = std::vector<std::size_t>;
    enum class Match { Same, Differs, Stopped };

    bool SplitBySize(Indices files);
    bool SplitByHashes(const Indices& files);
    bool Hash(File& file, std::uint64_t length, std::uint64_t& hash);
    bool Confirm(const Indices& files);
    void Close(const Indices& set);
    Match Compare(File& file, Indices& set);
    bool AsRecorded(const File& file);
    bool YieldFor(const File& file);

    FileSystem& fs_;
    FolderHandles& folders_;
    Yield yield_;
    ContentCheck check_;
    std::vector<char> buffer_;
    struct HashState;
    std::unique_ptr<HashState> hash_;
    std::vector<File> files_;
    int sets_ = 0;
    std::size_t row_ = 0; // the row whose file is being compared
};

} // namespace quilder
