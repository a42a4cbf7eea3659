#include "ReadAhead.h"

#include "ScanLists.h"
#include "SizeClass.h"
#include "UsableCores.h"

#include <algorithm>
#include <chrono>
#include <iterator>

namespace quilder {

namespace {

// What a list waiting in the queue may come to hold: its paths and the samples it keeps.
std::size_t BytesOf(const ListSamples& list) {
    std::size_t bytes = 0;
    for (const std::string& path : list.paths)
        bytes += path.size() + sizeof(std::string) + 3 * sizeof(std::size_t);
    const std::size_t samples = list.paths.size() * MostSamplesPerFile(list.plan.classOrder);
    return bytes + std::min(list.plan.keepBudget, samples);
}

// Files per batch handed to a worker.
constexpr std::size_t kBatchFiles = 64;

// How long the calling thread waits for a worker before it lets the window run.
constexpr std::chrono::milliseconds kWaitSlice{10};

// What Take gives when a yield dropped the wait: a list that groups nothing.
ListSamples Unread(const std::string& name) {
    ListSamples list;
    list.name = name;
    list.read = false;
    return list;
}

} // namespace

SamplingPlan PlanSampling(const std::string& listName, int classOrder, std::size_t keepBudget,
                          SampleHash hash) {
    const SizeClass& c = kSizeClasses[classOrder];
    const std::optional<std::uint64_t> size = SizeOfListName(listName);
    if (!size || *size < c.smallest || *size > c.largest)
        return {classOrder, c.largest, false, 0, hash};
    return {classOrder, *size, true, keepBudget, hash};
}

unsigned ReadAhead::WorkersFor(const FileSystem& fs) {
    if (!SafeOnAnyThread(fs)) return 0;
    // The cores free for this process now, not all there are: a worker on a core another program
    // keeps busy only adds switches.
    return UsableCores();
}

ReadAhead::ReadAhead(FileSystem& fs, unsigned workers, std::size_t budget, std::size_t splitFiles)
    : fs_(fs), budget_(budget), splitFiles_(std::max<std::size_t>(splitFiles, 2)) {
    workers_.reserve(workers);
    for (unsigned k = 0; k < workers; ++k)
        workers_.emplace_back([this] { Work(); });
}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

bool ReadAhead::HasRoom() const {
    // Without workers nothing is read ahead: one list at a time, as it is grouped.
    if (workers_.empty()) return queue_.empty() && !open_;
    return queue_.size() < 2 * workers_.size() && queuedBytes_ < budget_;
}

void ReadAhead::Add(ListSamples list) {
    // One long list would keep one worker busy while the others wait.
    if (workers_.size() > 1 && list.paths.size() >= splitFiles_ &&
        SampledFileByFile(list.plan.listedSize)) {
        AddSplit(std::move(list), workers_.size());
        return;
    }
    if (!open_) open_ = std::make_unique<Slot>();
    const std::size_t bytes = BytesOf(list);
    open_->files += list.paths.size();
    open_->bytes += bytes;
    queuedBytes_ += bytes;
    open_->lists.push_back(std::move(list));
    if (open_->files >= kBatchFiles || open_->bytes >= budget_ / 4) Submit();
}

void ReadAhead::AddSplit(ListSamples list, std::size_t parts) {
    if (open_) Submit(); // the lists before it come first
    const std::size_t bytes = BytesOf(list);
    queuedBytes_ += bytes;
    const std::size_t files = list.paths.size();
    std::vector<std::unique_ptr<Slot>> slots;
    for (std::size_t k = 0; k < parts; ++k) {
        auto slot = std::make_unique<Slot>();
        ListSamples part;
        part.name = list.name;
        part.plan = list.plan;
        part.plan.keepBudget = list.plan.keepBudget / parts;
        const auto from = list.paths.begin() + static_cast<std::ptrdiff_t>(files * k / parts);
        const auto to = list.paths.begin() + static_cast<std::ptrdiff_t>(files * (k + 1) / parts);
        part.paths.assign(std::make_move_iterator(from), std::make_move_iterator(to));
        slot->files = part.paths.size();
        slot->lists.push_back(std::move(part));
        slots.push_back(std::move(slot));
    }
    slots.front()->bytes = bytes;
    slots.front()->parts = parts;
    slots.front()->wholePlan = list.plan;
    {
        const std::lock_guard lock(mutex_);
        for (auto& slot : slots)
            queue_.push_back(std::move(slot));
    }
    changed_.notify_all();
}

bool ReadAhead::WaitYielding(const std::function<bool()>& done, const Yield& yield) {
    std::unique_lock lock(mutex_);
    while (!changed_.wait_for(lock, kWaitSlice, done)) {
        if (!yield) continue;
        lock.unlock();
        const bool go = yield();
        lock.lock();
        if (!go) return false;
    }
    return true;
}

ListSamples ReadAhead::TakeJoined(const Yield& yield) {
    const std::size_t parts = queue_.front()->parts;
    const bool done = WaitYielding(
        [&] {
            for (std::size_t k = 0; k < parts; ++k)
                if (queue_[k]->state != Slot::State::Done) return false;
            return true;
        },
        yield);
    if (!done) return Unread(queue_.front()->lists.front().name);
    ListSamples whole;
    whole.name = queue_.front()->lists.front().name;
    whole.plan = queue_.front()->wholePlan;
    std::vector<SampledList> sampled;
    for (std::size_t k = 0; k < parts; ++k) {
        ListSamples& part = queue_[k]->lists.front();
        whole.paths.insert(whole.paths.end(), std::make_move_iterator(part.paths.begin()),
                           std::make_move_iterator(part.paths.end()));
        sampled.push_back(std::move(part.sampled));
    }
    whole.sampled = JoinSampled(std::move(sampled));
    queuedBytes_ -= BytesOf(whole);
    {
        const std::lock_guard lock(mutex_);
        for (std::size_t k = 0; k < parts; ++k)
            queue_.pop_front();
    }
    return whole;
}

void ReadAhead::Submit() {
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(std::move(open_));
    }
    changed_.notify_one();
}

void ReadAhead::SampleInParts(ListSamples& list, const Yield& yield) const {
    const SamplingPlan& plan = list.plan;
    const std::span<const std::string> paths(list.paths);
    const std::size_t parts = (paths.size() + splitFiles_ - 1) / splitFiles_;
    std::vector<SampledList> sampled;
    for (std::size_t k = 0; k < parts; ++k) {
        if (k > 0 && !yield()) {
            list.read = false;
            return;
        }
        const std::size_t from = paths.size() * k / parts, to = paths.size() * (k + 1) / parts;
        sampled.push_back(SampleList(fs_, paths.subspan(from, to - from), plan.classOrder,
                                     plan.listedSize, plan.exactSize, plan.keepBudget / parts,
                                     plan.hash));
    }
    list.sampled = JoinSampled(std::move(sampled));
}

ListSamples ReadAhead::Take(const Yield& yield) {
    if (queue_.empty()) Submit();
    if (queue_.front()->parts > 1) return TakeJoined(yield);
    Slot& front = *queue_.front();
    if (workers_.empty()) {
        // Without workers a long list is sampled here: in parts, so that the window answers.
        if (front.state == Slot::State::Waiting) {
            ListSamples& only = front.lists.front();
            if (yield && front.lists.size() == 1 && only.paths.size() > splitFiles_ &&
                SampledFileByFile(only.plan.listedSize))
                SampleInParts(only, yield);
            else
                Sample(front);
        }
        front.state = Slot::State::Done;
    } else if (!WaitYielding([&] { return front.state == Slot::State::Done; }, yield)) {
        return Unread(front.lists[front.taken].name);
    }
    ListSamples list = std::move(front.lists[front.taken++]);
    queuedBytes_ -= BytesOf(list);
    if (front.taken == front.lists.size()) {
        const std::lock_guard lock(mutex_);
        queue_.pop_front();
    }
    return list;
}

void ReadAhead::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        Slot* next = nullptr;
        changed_.wait(lock, [&] {
            const auto waiting = std::find_if(queue_.begin(), queue_.end(), [](const auto& slot) {
                return slot->state == Slot::State::Waiting;
            });
            if (waiting != queue_.end()) next = waiting->get();
            return stop_ || next != nullptr;
        });
        if (stop_) return;
        // The slot stays in the queue while it is sampled: only Take removes it, once Done.
        next->state = Slot::State::Sampling;
        lock.unlock();
        Sample(*next);
        lock.lock();
        next->state = Slot::State::Done;
        changed_.notify_all();
    }
}

namespace {

// Bytes of a list's files that the sampling reads first: a long file's head only, since its
// rest is read only when another file shares that head.
std::uint64_t FirstReadOf(const SamplingPlan& plan) {
    if (!plan.exactSize) return 0; // size unknown: nothing asked ahead
    return plan.listedSize > kTwoStepsAbove && kProbeBytes < plan.listedSize ? kProbeBytes
                                                                             : plan.listedSize;
}

// How far the reading of files is asked for ahead of the file being sampled.
constexpr std::uint64_t kPrefetchBytes = 8u << 20;

} // namespace

void ReadAhead::Sample(Slot& slot) const {
    // On a cold cache a worker would wait for one file at a time. When the batch's first file
    // is not in the cache, the files ahead are asked for, so that the disk has several reads
    // to do at once; on a warm cache this costs one look per batch.
    // Without workers (a replaced file-system service) nothing is asked ahead.
    bool cold = false;
    const auto first = std::find_if(slot.lists.begin(), slot.lists.end(), [](const auto& list) {
        return !list.paths.empty() && FirstReadOf(list.plan) > 0;
    });
    if (!workers_.empty() && first != slot.lists.end()) cold = !fs_.IsCached(first->paths.front());
    std::size_t hintedList = 0, hintedFile = 0; // the next file to ask for
    std::uint64_t hintedBytes = 0, sampledBytes = 0;
    for (ListSamples& list : slot.lists) {
        if (stop_) return;
        for (; cold && hintedList < slot.lists.size() &&
               hintedBytes < sampledBytes + kPrefetchBytes;) {
            const ListSamples& ahead = slot.lists[hintedList];
            if (hintedFile == ahead.paths.size()) {
                ++hintedList;
                hintedFile = 0;
                continue;
            }
            const std::uint64_t bytes = FirstReadOf(ahead.plan);
            if (bytes > 0) fs_.Prefetch(ahead.paths[hintedFile], bytes);
            hintedBytes += bytes;
            ++hintedFile;
        }
        const SamplingPlan& plan = list.plan;
        list.sampled = SampleList(fs_, list.paths, plan.classOrder, plan.listedSize, plan.exactSize,
                                  plan.keepBudget, plan.hash, &stop_);
        sampledBytes += FirstReadOf(plan) * list.paths.size();
    }
}

} // namespace quilder
