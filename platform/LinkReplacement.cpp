#include "SafeRemoval.h"

#include "EntryMoves.h"
#include "EntryState.h"
#include "FileSystem.h"
#include "PathText.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
#include <numeric>
#include <sys/ioctl.h>
#include <unistd.h>

namespace quilder {

namespace {

using Kind = RemovalOutcome::Kind;

constexpr int kMostTemporaryNames = 100;
// btrfs takes at most this much in one request and answers a larger one with less.
constexpr std::uint64_t kMostSharedAtOnce = 16 << 20;

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// A name for the link on its way in, or the file on its way out; new for every use.
std::string LinkingName() {
    static std::atomic<unsigned> counter{0};
    return ".quilder-linking-" + std::to_string(getpid()) + '-' +
           std::to_string(counter.fetch_add(1, std::memory_order_relaxed));
}

RemovalOutcome Outcome(Kind kind, int error = 0, std::string why = {}, std::string leftAt = {}) {
    RemovalOutcome outcome;
    outcome.kind = kind;
    outcome.error = error;
    outcome.why = std::move(why);
    outcome.leftAt = std::move(leftAt);
    return outcome;
}

RemovalOutcome Linked(LinkKind link) {
    RemovalOutcome outcome = Outcome(Kind::Done);
    outcome.link = link;
    return outcome;
}

bool IsComparedEntry(int folder, const std::string& name, const EntryState& compared) {
    struct stat st {};
    return fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
           IsComparedFile(st, compared);
}

// Takes our own link of the copy away again: only while the entry is that copy's inode and it
// has another name, so that a file another program put there is never lost.
bool DropOurLink(int folder, const std::string& temporary, const EntryState& copy) {
    struct stat st {};
    if (fstatat(folder, temporary.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
    if (static_cast<std::uint64_t>(st.st_dev) != copy.device ||
        static_cast<std::uint64_t>(st.st_ino) != copy.inode || st.st_nlink < 2)
        return false;
    return unlinkat(folder, temporary.c_str(), 0) == 0;
}

// The copy that stays, opened through its folder, which must be the folder recorded.
struct OpenedCopy {
    int folder = -1;
    int file = -1;
    OpenedCopy() = default;
    OpenedCopy(const OpenedCopy&) = delete;
    OpenedCopy& operator=(const OpenedCopy&) = delete;
    ~OpenedCopy() {
        if (file >= 0) close(file);
        if (folder >= 0) close(folder);
    }
};

// 0, the errno, or -1 when the copy is no longer the compared file.
int OpenCopy(const RecordedEntry& copy, OpenedCopy& out) {
    out.folder = open(copy.folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    if (out.folder < 0 || fstat(out.folder, &st) != 0) return errno;
    if (FolderId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)} !=
        copy.folder)
        return -1;
    out.file = openat(out.folder, copy.name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (out.file < 0) return errno == ENOENT || errno == ELOOP ? -1 : errno;
    if (fstat(out.file, &st) != 0) return errno;
    return S_ISREG(st.st_mode) && IsComparedFile(st, copy.state) ? 0 : -1;
}

enum class Sharing { Shared, Differs, Unsupported, Failed };

// Asks the kernel to share the copy's extents with the file's, range by range; it compares
// each range itself and shares only equal ones, atomically. The last range goes first, so that
// a file which differs near its end shares nothing; ranges start at multiples of the most one
// request takes, which keeps them aligned to the blocks.
Sharing ShareExtents(int source, int target, std::uint64_t size, int& error) {
    alignas(file_dedupe_range) unsigned char
        buffer[sizeof(file_dedupe_range) + sizeof(file_dedupe_range_info)]{};
    auto* range = reinterpret_cast<file_dedupe_range*>(buffer);
    file_dedupe_range_info* info = range->info;
    bool first = true;
    for (std::uint64_t start = (size - 1) / kMostSharedAtOnce * kMostSharedAtOnce;;
         start -= kMostSharedAtOnce) {
        const std::uint64_t end = std::min(size, start + kMostSharedAtOnce);
        for (std::uint64_t offset = start; offset < end; first = false) {
            *range = {};
            *info = {};
            range->src_offset = offset;
            range->src_length = end - offset;
            range->dest_count = 1;
            info->dest_fd = target;
            info->dest_offset = offset;
            error = 0;
            if (ioctl(source, FIDEDUPERANGE, range) != 0)
                error = errno;
            else if (info->status < 0)
                error = -info->status;
            else if (info->status == FILE_DEDUPE_RANGE_DIFFERS)
                return Sharing::Differs;
            else if (info->bytes_deduped == 0)
                error = EIO; // no progress: never loop forever
            if (error != 0) {
                const bool unsupported =
                    error == EOPNOTSUPP || error == EINVAL || error == ENOTTY || error == EXDEV;
                return first && unsupported ? Sharing::Unsupported : Sharing::Failed;
            }
            offset += info->bytes_deduped;
        }
        if (start == 0) return Sharing::Shared;
    }
}

// Where RENAME_EXCHANGE is refused: the file is moved aside, checked, and the link moved under
// its name; every step that fails puts back what was moved.
RemovalOutcome ReplaceAside(int folder, const std::string& folderPath, const std::string& name,
                            const EntryState& compared, const std::string& temporary,
                            const EntryState& copy) {
    std::string aside;
    for (int attempt = 1;; ++attempt) {
        aside = LinkingName();
        const int error = MoveToTemporary(folder, name, aside);
        if (error == 0) break;
        if (error != EEXIST || attempt == kMostTemporaryNames) {
            DropOurLink(folder, temporary, copy);
            return Outcome(Kind::Failed, error);
        }
    }
    if (!IsComparedEntry(folder, aside, compared)) {
        DropOurLink(folder, temporary, copy);
        if (MoveBack(folder, aside, name)) return Outcome(Kind::Changed);
        return Outcome(Kind::Changed, 0, {}, JoinPath(folderPath, aside));
    }
    if (!MoveBack(folder, temporary, name)) {
        const int error = errno;
        DropOurLink(folder, temporary, copy);
        if (MoveBack(folder, aside, name)) return Outcome(Kind::Failed, error);
        return Outcome(Kind::Failed, error, "it is left as " + JoinPath(folderPath, aside));
    }
    if (unlinkat(folder, aside.c_str(), 0) == 0) return Linked(LinkKind::HardLink);
    return Outcome(Kind::Failed, errno,
                   "its name is a link of the copy now, and the file is left as " +
                       JoinPath(folderPath, aside));
}

// A hard link of the copy under a temporary name, exchanged with the file's name at once, so
// that the path never goes missing; the file taken away must be the compared one.
RemovalOutcome HardLink(int folder, const std::string& folderPath, const std::string& name,
                        const EntryState& compared, const OpenedCopy& opened,
                        const RecordedEntry& copy) {
    std::string temporary;
    for (int attempt = 0;; ++attempt) {
        if (attempt == kMostTemporaryNames) return Outcome(Kind::Failed, EEXIST);
        temporary = LinkingName();
        if (linkat(opened.folder, copy.name.c_str(), folder, temporary.c_str(), 0) == 0) break;
        if (errno != EEXIST) return Outcome(Kind::Refused, errno);
    }
    // The copy's name may have been given to another file between the look and the link.
    if (!IsComparedEntry(folder, temporary, copy.state)) {
        // Our link of that file goes while the file has another name; else it stays, and the
        // user is told where.
        struct stat st {};
        if (fstatat(folder, temporary.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            (st.st_nlink > 1 && unlinkat(folder, temporary.c_str(), 0) == 0))
            return Outcome(Kind::Changed);
        return Outcome(Kind::Changed, 0, {}, JoinPath(folderPath, temporary));
    }
    if (renameat2(folder, temporary.c_str(), folder, name.c_str(), RENAME_EXCHANGE) != 0) {
        const int error = errno;
        if (error == EINVAL || error == ENOSYS)
            return ReplaceAside(folder, folderPath, name, compared, temporary, copy.state);
        DropOurLink(folder, temporary, copy.state);
        return Outcome(Kind::Failed, error);
    }
    // What stood under the name is under the temporary name now.
    if (IsComparedEntry(folder, temporary, compared)) {
        if (unlinkat(folder, temporary.c_str(), 0) == 0) return Linked(LinkKind::HardLink);
        const int error = errno;
        if (renameat2(folder, temporary.c_str(), folder, name.c_str(), RENAME_EXCHANGE) == 0 &&
            DropOurLink(folder, temporary, copy.state))
            return Outcome(Kind::Failed, error);
        return Outcome(Kind::Failed, error, "it is left as " + JoinPath(folderPath, temporary));
    }
    // Another program's file: it goes back under its name, and our link goes.
    if (renameat2(folder, temporary.c_str(), folder, name.c_str(), RENAME_EXCHANGE) == 0 &&
        DropOurLink(folder, temporary, copy.state))
        return Outcome(Kind::Changed);
    return Outcome(Kind::Changed, 0, {}, JoinPath(folderPath, temporary));
}

RemovalOutcome LinkToCopy(int folder, const std::string& folderPath, const std::string& name,
                          const EntryState& compared, int file, const RecordedEntry& copy) {
    OpenedCopy opened;
    const int error = OpenCopy(copy, opened);
    if (error < 0) return Outcome(Kind::Changed);
    if (error > 0) return Outcome(Kind::Failed, error);
    if (compared.size > 0) {
        int shareError = 0;
        switch (ShareExtents(opened.file, file, compared.size, shareError)) {
        case Sharing::Shared:
            return Linked(LinkKind::SharedExtents);
        case Sharing::Differs: // the kernel's own comparison: one of them changed
            return Outcome(Kind::Changed);
        case Sharing::Failed: // only equal ranges may have been shared: no byte changed
            return Outcome(Kind::Failed, shareError);
        case Sharing::Unsupported:
            break;
        }
    }
    return HardLink(folder, folderPath, name, compared, opened, copy);
}

} // namespace

RemovalOutcome ReplaceByLinkAt(int folder, const std::string& folderPath, const std::string& name,
                               const EntryState& compared,
                               const std::vector<RecordedEntry>& copies) {
    const Descriptor file(openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (file.get() < 0) return Outcome(errno == ELOOP ? Kind::Changed : Kind::Failed, errno);
    if (fstat(file.get(), &st) != 0) return Outcome(Kind::Failed, errno);
    if (!S_ISREG(st.st_mode) || !IsComparedFile(st, compared)) return Outcome(Kind::Changed);

    // Copies on the file's own file system first: only there can either link work.
    std::vector<std::size_t> order(copies.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_partition(order.begin(), order.end(),
                          [&](std::size_t i) { return copies[i].state.device == compared.device; });
    RemovalOutcome first = Outcome(Kind::Failed, ENOENT);
    for (std::size_t n = 0; n < order.size(); ++n) {
        RemovalOutcome outcome =
            LinkToCopy(folder, folderPath, name, compared, file.get(), copies[order[n]]);
        outcome.copy = order[n];
        if (outcome.kind == Kind::Done || outcome.kind == Kind::Changed) return outcome;
        if (n == 0) first = std::move(outcome);
    }
    return first;
}

RemovalOutcome FileSystem::LinkCompared(int folder, const std::string& folderPath,
                                        const std::string& name, const EntryState& compared,
                                        const std::vector<RecordedEntry>& copies) {
    return ReplaceByLinkAt(folder, folderPath, name, compared, copies);
}

} // namespace quilder
