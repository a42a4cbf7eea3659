#include "ContentCheck.h"

#include "EntryState.h"
#include "FileIdentity.h"
#include "FileSystem.h"

#include <algorithm>
#include <cstring>

namespace quilder {

namespace {

// Files of one size mostly differ early: a small first read settles most comparisons, and the
// reads grow to the largest chunk only while the bytes keep agreeing.
constexpr std::size_t kFirstChunk = 4096;
constexpr std::size_t kChunk = 1 << 20;

// Records the entry's state now; false when it is no regular file of the recorded folder.
bool Record(FolderHandles& folders, RecordedEntry& entry) {
    const EntryLook now = LookUpEntry(folders, entry.folderPath, entry.name);
    if (now.kind != EntryLook::Kind::File || now.entry.folder != entry.folder) return false;
    entry.state = now.entry.state;
    return true;
}

} // namespace

UnchangedFile::UnchangedFile(FileSystem& fs, FolderHandles& folders, const RecordedEntry& entry)
    : fs_(fs) {
    FolderId id;
    int error = 0;
    const int folder = folders.Open(entry.folderPath, id, error);
    if (folder >= 0 && id == entry.folder) fd_ = OpenUnchanged(fs, folder, entry.name, entry.state);
}

UnchangedFile::~UnchangedFile() {
    if (fd_ >= 0) fs_.CloseRead(fd_);
}

bool UnchangedFile::ReadWhole(char* buffer, std::size_t length, std::uint64_t offset) {
    return fs_.ReadAt(fd_, buffer, length, offset) == static_cast<long long>(length);
}

bool UnchangedFile::Unchanged(const EntryState& recorded) const {
    return StateOfOpenFile(fd_) == recorded;
}

ContentCheck::ContentCheck(FileSystem& fs, std::function<bool()> yield)
    : fs_(fs), yield_(std::move(yield)), first_(kChunk), second_(kChunk) {}

ContentVerdict ContentCheck::Compare(FolderHandles& folders, RecordedEntry& file,
                                     RecordedEntry& other) {
    if (!Record(folders, file) || !Record(folders, other)) return ContentVerdict::NotCompared;
    // One file under two names, or seen through two mounts, is no copy of itself.
    if (MaybeSameFile(file.state, other.state)) return ContentVerdict::NotCompared;
    if (file.state.size != other.state.size) return ContentVerdict::Differs;
    UnchangedFile a(fs_, folders, file);
    UnchangedFile b(fs_, folders, other);
    if (!a.IsOpen() || !b.IsOpen()) return ContentVerdict::NotCompared;
    const std::uint64_t size = file.state.size;
    std::size_t chunk = kFirstChunk;
    for (std::uint64_t offset = 0; offset < size;
         offset += chunk, chunk = std::min(chunk * 2, kChunk)) {
        if (offset > 0 && !yield_()) return ContentVerdict::Abandoned;
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, size - offset));
        if (!a.ReadWhole(first_.data(), length, offset) ||
            !b.ReadWhole(second_.data(), length, offset))
            return ContentVerdict::NotCompared;
        if (std::memcmp(first_.data(), second_.data(), length) != 0) return ContentVerdict::Differs;
    }
    if (!a.Unchanged(file.state) || !b.Unchanged(other.state)) return ContentVerdict::Differs;
    return ContentVerdict::Same;
}

} // namespace quilder
