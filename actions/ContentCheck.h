#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quilder {

class FileSystem;
class FolderHandles;
struct EntryState;
struct RecordedEntry;

enum class ContentVerdict {
    Same,
    Differs,     // other bytes, or a file changed while it was read
    NotCompared, // a file is gone, no longer a regular file, could not be read whole, or both
                 // entries are one file
    Abandoned,   // the yield asked to stop
};

// Compares two files byte for byte through the file-system service's positioned reads. The
// yield runs between chunks, so that comparing large files keeps the window responsive; when it
// returns false the comparison ends at once.
class ContentCheck {
public:
    ContentCheck(FileSystem& fs, std::function<bool()> yield);

    // Compares the entries as they are now, each reached through a handle of the folder its
    // entry records. Two entries of one file (links of it, or it seen through another mount)
    // are NotCompared: one file is never its own copy. On return each holds the state it had
    // when compared, and Same means that neither changed while it was read.
    ContentVerdict Compare(FolderHandles& folders, RecordedEntry& file, RecordedEntry& other);

private:
    FileSystem& fs_;
    std::function<bool()> yield_;
    std::vector<char> first_;
    std::vector<char> second_;
};

// A file reached through a handle of the folder its entry records, opened only if it is still
// in its recorded state, and closed whatever way the scope is left.
class UnchangedFile {
public:
    UnchangedFile(FileSystem& fs, FolderHandles& folders, const RecordedEntry& entry);
    ~UnchangedFile();
    UnchangedFile(const UnchangedFile&) = delete;
    UnchangedFile& operator=(const UnchangedFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    bool ReadWhole(char* buffer, std::size_t length, std::uint64_t offset);
    // Bytes read from a file that changed meanwhile prove nothing.
    bool Unchanged(const EntryState& recorded) const;

private:
    FileSystem& fs_;
    int fd_ = -1;
};

} // namespace quilder
