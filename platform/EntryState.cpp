#include "EntryState.h"

#include "MountPoints.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quilder {

namespace {

constexpr std::size_t kMostHeldFolders = 48;

std::int64_t Nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

EntryState StateOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev),
            static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint64_t>(st.st_size),
            Nanoseconds(st.st_mtim),
            Nanoseconds(st.st_ctim),
            static_cast<std::uint64_t>(st.st_nlink)};
}

FolderId IdOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

} // namespace

std::optional<FolderId> FolderIdOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
    return IdOf(st);
}

int FolderHandles::Open(const std::string& path, FolderId& id, int& error) {
    auto found = held_.find(path);
    if (found == held_.end()) {
        if (held_.size() >= kMostHeldFolders) Clear();
        Held held;
        held.fd = fs_.OpenFolder(path);
        struct stat st {};
        if (held.fd >= 0 && fstat(held.fd, &st) == 0) {
            held.id = IdOf(st);
        } else {
            held.error = errno != 0 ? errno : ENOENT;
            if (held.fd >= 0) fs_.CloseFolder(held.fd);
            held.fd = -1;
        }
        found = held_.emplace(path, held).first;
    }
    id = found->second.id;
    error = found->second.error;
    return found->second.fd;
}

void FolderHandles::Clear() {
    for (const auto& [path, held] : held_)
        if (held.fd >= 0) fs_.CloseFolder(held.fd);
    held_.clear();
}

EntryLook LookUpEntry(FolderHandles& folders, const std::string& folderPath,
                      const std::string& name) {
    EntryLook look;
    look.entry.folderPath = folderPath;
    look.entry.name = name;
    const int folder = folders.Open(folderPath, look.entry.folder, look.error);
    if (folder < 0) {
        look.kind = look.error == ENOENT ? EntryLook::Kind::Missing : EntryLook::Kind::Unreachable;
        return look;
    }
    struct stat st {};
    if (name.empty() || fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        look.error = name.empty() ? ENOENT : errno;
        look.kind = look.error == ENOENT ? EntryLook::Kind::Missing : EntryLook::Kind::Unreachable;
        return look;
    }
    look.kind = S_ISREG(st.st_mode) ? EntryLook::Kind::File : EntryLook::Kind::NotFile;
    look.entry.state = StateOf(st);
    return look;
}

int OpenUnchanged(FileSystem& fs, int folder, const std::string& name, const EntryState& expected) {
    const int fd = fs.OpenReadAt(folder, name);
    if (fd < 0) return -1;
    if (StateOfOpenFile(fd) != expected) {
        fs.CloseRead(fd);
        return -1;
    }
    return fd;
}

std::optional<EntryState> StateOfOpenFile(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0) return std::nullopt;
    return StateOf(st);
}

bool EntryRemover::Unchanged(const EntryState& was, const EntryState& now) const {
    if (was == now) return true;
    if (!relinked_.count({was.device, was.inode})) return false;
    EntryState same = now;
    same.changedNs = was.changedNs;
    same.links = was.links;
    return was == same;
}

EntryRemover::Outcome EntryRemover::Remove(const RecordedEntry& file,
                                           const std::vector<RecordedEntry>& copies) {
    using Kind = Outcome::Kind;
    for (const RecordedEntry& copy : copies) {
        const EntryLook now = LookUpEntry(folders_, copy.folderPath, copy.name);
        if (now.kind != EntryLook::Kind::File || now.entry.folder != copy.folder ||
            !Unchanged(copy.state, now.entry.state))
            return {Kind::Changed};
    }
    // The last look at the file comes right before the action, through the same handle.
    FolderId id;
    int error = 0;
    const int folder = folders_.Open(file.folderPath, id, error);
    if (folder < 0) return {error == ENOENT ? Kind::Gone : Kind::Failed, error};
    if (id != file.folder) return {Kind::Changed};
    // A file mounted over this path is its source's only copy, seen a second time.
    if (IsMountRootAt(folder, file.name)) return {Kind::Failed, EBUSY};
    struct stat st {};
    if (fstatat(folder, file.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Outcome{Kind::Gone} : Outcome{Kind::Failed, errno};
    if (!S_ISREG(st.st_mode)) return {Kind::NotFile};
    if (!Unchanged(file.state, StateOf(st))) return {Kind::Changed};
    // The action itself makes sure that what it takes away is this file (SafeRemoval.h).
    RemovalOutcome done = action_(folder, file, copies);
    if (done.kind == RemovalOutcome::Kind::Changed)
        return {Kind::Changed, 0, {}, std::move(done.leftAt)};
    if (done.kind == RemovalOutcome::Kind::Failed)
        return {Kind::Failed, done.error, std::move(done.why), {}};
    if (done.kind == RemovalOutcome::Kind::Refused) return {Kind::Refused, done.error};
    relinked_.insert({file.state.device, file.state.inode});
    Outcome removed{Kind::Removed};
    removed.link = done.link;
    // A copy that gained a link keeps serving the files after this one.
    if (done.link != LinkKind::None && done.copy < copies.size())
        relinked_.insert({copies[done.copy].state.device, copies[done.copy].state.inode});
    return removed;
}

} // namespace quilder
