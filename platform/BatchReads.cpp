#include "BatchReads.h"

#include "FileSystem.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <liburing.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quilder {

namespace {

std::atomic<bool> ringWanted{true};

// Entries asked of the ring at once: a slice of a batch.
constexpr unsigned kRingEntries = 64;

class Ring {
public:
    Ring() { ready_ = io_uring_queue_init(kRingEntries, &ring_, 0) == 0; }
    ~Ring() {
        if (ready_) io_uring_queue_exit(&ring_);
    }
    Ring(const Ring&) = delete;
    Ring& operator=(const Ring&) = delete;
    bool Ready() const { return ready_ && !broken_; }

    // Submits the `count` entries prepared and hands each completion to `each(index, result)`.
    // Gives how many were submitted; after a failure (fewer than `count` completions seen) the
    // ring is never submitted to again, so that no entry left in it can act later.
    template <typename Each> unsigned Complete(unsigned count, Each&& each, bool& complete) {
        int submitted;
        do {
            submitted = io_uring_submit_and_wait(&ring_, count);
        } while (submitted == -EINTR);
        complete = false;
        if (submitted < 0) {
            broken_ = true;
            return 0;
        }
        for (int done = 0; done < submitted; ++done) {
            io_uring_cqe* cqe = nullptr;
            int waited;
            do {
                waited = io_uring_wait_cqe(&ring_, &cqe);
            } while (waited == -EINTR);
            if (waited < 0) {
                broken_ = true;
                return static_cast<unsigned>(submitted);
            }
            each(static_cast<std::size_t>(io_uring_cqe_get_data64(cqe)), cqe->res);
            io_uring_cqe_seen(&ring_, cqe);
        }
        complete = static_cast<unsigned>(submitted) == count;
        if (!complete) broken_ = true;
        return static_cast<unsigned>(submitted);
    }
    io_uring_sqe* Next(std::size_t index) {
        io_uring_sqe* sqe = io_uring_get_sqe(&ring_);
        io_uring_sqe_set_data64(sqe, index); // never null: a slice fits the ring
        return sqe;
    }

private:
    io_uring ring_{};
    bool ready_ = false;
    bool broken_ = false;
};

// One ring per thread: rings are not shared between threads, and a worker's ring goes with it.
Ring* ThreadRing() {
    if (!ringWanted.load(std::memory_order_relaxed)) return nullptr;
    thread_local Ring ring;
    return &ring;
}

void OpenOneByOne(std::span<const std::string> paths, std::span<int> fds,
                  std::span<FileFacts> facts, const FirstReads& first) {
    FileSystem& fs = FileSystemService();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        fds[i] = fs.OpenRead(paths[i], &facts[i]);
        if (first.length == 0) continue;
        first.read[i] = fds[i] < 0
                            ? -1
                            : fs.ReadAt(fds[i], first.buffer + i * first.length,
                                        std::min<std::uint64_t>(first.length, facts[i].size), 0);
    }
}

// Slice `from` of `count` paths of the whole batch's first reads.
FirstReads SliceOf(const FirstReads& first, std::size_t from) {
    if (first.length == 0) return first;
    return {first.length, first.buffer + from * first.length, first.read + from};
}

// One slice: every open, then every file's type, size and time from its descriptor. False
// when the ring failed; descriptors opened so far are in `fds` for the caller to close.
bool OpenSlice(Ring& ring, std::span<const std::string> paths, std::span<int> fds,
               std::span<FileFacts> facts, const FirstReads& first) {
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK; // as OpenRead
    for (std::size_t i = 0; i < paths.size(); ++i) {
        fds[i] = -1;
        io_uring_prep_openat(ring.Next(i), AT_FDCWD, paths[i].c_str(), kFlags, 0);
    }
    bool complete = false;
    ring.Complete(
        static_cast<unsigned>(paths.size()),
        [&](std::size_t i, int result) { fds[i] = result >= 0 ? result : -1; }, complete);
    if (!complete) return false;
    struct statx found[kRingEntries];
    unsigned asked = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (fds[i] < 0) continue;
        io_uring_prep_statx(ring.Next(i), fds[i], "", AT_EMPTY_PATH | AT_STATX_SYNC_AS_STAT,
                            STATX_TYPE | STATX_SIZE | STATX_MTIME, &found[i]);
        ++asked;
    }
    std::vector<bool> regular(paths.size(), false);
    ring.Complete(
        asked,
        [&](std::size_t i, int result) {
            regular[i] = result == 0 && S_ISREG(found[i].stx_mode);
            if (regular[i])
                facts[i] = {found[i].stx_size,
                            static_cast<std::int64_t>(found[i].stx_mtime.tv_sec)};
        },
        complete);
    // Only a file found regular stays open.
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (fds[i] >= 0 && !regular[i]) close(std::exchange(fds[i], -1));
    if (!complete || first.length == 0) return complete;
    asked = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        first.read[i] = -1;
        if (fds[i] < 0) continue;
        // No more than the size when opened, as ReadHandle reads: that spares finding the end.
        const auto length =
            static_cast<unsigned>(std::min<std::uint64_t>(first.length, facts[i].size));
        io_uring_prep_read(ring.Next(i), fds[i], first.buffer + i * first.length, length, 0);
        ++asked;
    }
    ring.Complete(
        asked, [&](std::size_t i, int result) { first.read[i] = result >= 0 ? result : -1; },
        complete);
    return complete;
}

} // namespace

void OpenReadMany(std::span<const std::string> paths, std::span<int> fds,
                  std::span<FileFacts> facts, const FirstReads& first) {
    Ring* ring = ThreadRing();
    for (std::size_t from = 0; from < paths.size(); from += kRingEntries) {
        const std::size_t count = std::min<std::size_t>(kRingEntries, paths.size() - from);
        const auto slice = [&](auto span) { return span.subspan(from, count); };
        const FirstReads part = SliceOf(first, from);
        if (ring && ring->Ready() && OpenSlice(*ring, slice(paths), slice(fds), slice(facts), part))
            continue;
        // A ring that failed is not trusted again on this slice: what it opened goes, and the
        // slice is opened anew one file at a time.
        for (int& fd : slice(fds))
            if (fd >= 0) close(std::exchange(fd, -1));
        OpenOneByOne(slice(paths), slice(fds), slice(facts), part);
    }
}

void CloseReadMany(std::span<const int> fds) {
    for (std::size_t from = 0; from < fds.size(); from += kRingEntries) {
        const std::span<const int> slice =
            fds.subspan(from, std::min<std::size_t>(kRingEntries, fds.size() - from));
        std::size_t handed = 0; // closes the ring took, in order of preparation
        if (Ring* ring = ThreadRing(); ring && ring->Ready()) {
            std::vector<std::size_t> order;
            for (std::size_t i = 0; i < slice.size(); ++i) {
                if (slice[i] < 0) continue;
                io_uring_prep_close(ring->Next(i), slice[i]);
                order.push_back(i);
            }
            bool complete = false;
            const unsigned taken = ring->Complete(
                static_cast<unsigned>(order.size()), [](std::size_t, int) {}, complete);
            if (complete) continue;
            // A close the ring took may have run: closing it again could close a descriptor
            // another thread has just opened. Those it never took are closed here.
            handed = taken < order.size() ? order[taken] : slice.size();
        }
        for (std::size_t i = handed; i < slice.size(); ++i)
            if (slice[i] >= 0) close(slice[i]);
    }
}

void UseRingForBatchReads(bool use) {
    ringWanted.store(use, std::memory_order_relaxed);
}

} // namespace quilder
