#pragma once

#include "Fingerprint.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quilder {

// How the files of one scan list are sampled (see SampleList).
struct SamplingPlan {
    int classOrder = 0;
    std::uint64_t listedSize = 0;
    bool exactSize = false;
    std::size_t keepBudget = 0;
    SampleHash hash = HashSamples;
};

// The sampling plan of a list of a class compared by content: a list whose name is not a size
// of its class is none the scanner wrote, so its files are read only as far as the class
// reaches and nothing is kept (every match is confirmed by reading the files again).
SamplingPlan PlanSampling(const std::string& listName, int classOrder, std::size_t keepBudget,
                          SampleHash hash);

// One scan list on its way through the read-ahead: its paths (read by the calling thread) and,
// once sampled, what the grouping needs.
struct ListSamples {
    std::string name;
    SamplingPlan plan;
    std::vector<std::string> paths;
    bool read = true; // false: the list could not be read, and groups nothing
    SampledList sampled;
};

// Samples the next scan lists on worker threads while the calling thread groups the current
// one. Workers only read the listed files through the file-system service; lists come back in
// the order they were added. Most lists hold two or three files, so lists are handed to the
// workers in batches: waking a thread per list would cost more than reading it. With no
// workers, Take samples on the calling thread. Destroying it drops whatever was read ahead and
// joins every worker.
class ReadAhead {
public:
    // `budget` bounds the bytes of lists added but not yet taken (one list is always let in).
    // A list of `splitFiles` files or more whose files are sampled one by one is cut into one
    // part per worker, sampled side by side, and joined again when taken.
    static constexpr std::size_t kSplitFiles = 256;
    ReadAhead(FileSystem& fs, unsigned workers, std::size_t budget,
              std::size_t splitFiles = kSplitFiles);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    bool HasRoom() const;
    void Add(ListSamples list);
    // Runs the window's event loop while a list is sampled; false drops the wait (the window
    // is closing).
    using Yield = std::function<bool()>;
    // The earliest list added and not yet taken, sampled; waits for it when need be, yielding
    // at least every few milliseconds. A list sampled on the calling thread is sampled in parts
    // of `splitFiles` files with a yield between them. When a yield says to drop the wait, the
    // list comes back unread.
    ListSamples Take(const Yield& yield = {});

    // One worker per core the process may use, or none where the file-system service may not be
    // thread-safe.
    static unsigned WorkersFor(const FileSystem& fs);

private:
    struct Slot {
        std::vector<ListSamples> lists;
        std::size_t taken = 0; // lists handed out by Take
        std::size_t files = 0;
        std::size_t bytes = 0;
        enum class State { Waiting, Sampling, Done } state = State::Waiting;
        // The first part of a split list: how many slots its parts take, and its own plan.
        std::size_t parts = 0;
        SamplingPlan wholePlan;
    };
    void AddSplit(ListSamples list, std::size_t parts);
    ListSamples TakeJoined(const Yield& yield);
    // Waits until `done` holds, yielding between short waits; false when a yield said to stop.
    bool WaitYielding(const std::function<bool()>& done, const Yield& yield);
    void SampleInParts(ListSamples& list, const Yield& yield) const;
    void Work();
    void Sample(Slot& slot) const;
    void Submit();

    FileSystem& fs_;
    const std::size_t budget_;
    const std::size_t splitFiles_;
    std::size_t queuedBytes_ = 0; // of the slots in queue_; calling thread only
    std::unique_ptr<Slot> open_;  // the batch being filled; calling thread only
    std::deque<std::unique_ptr<Slot>> queue_;
    mutable std::mutex mutex_; // guards the slots' states and what Work does with them
    std::condition_variable changed_;
    std::atomic<bool> stop_{false};
    std::vector<std::thread> workers_;
};

} // namespace quilder
