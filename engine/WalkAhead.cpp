#include "WalkAhead.h"

#include <utility>

namespace quilder {

namespace {

// How far the walk may run ahead: enough to keep it busy across a yield, little memory.
constexpr std::size_t kMostFolders = 256;
constexpr std::size_t kMostFiles = 16384;
// Folders handed over at once: one lock and at most one wake-up for many folders.
constexpr std::size_t kBatch = 32;

} // namespace

WalkAhead::WalkAhead(FolderWalk& walk) : walk_(walk), thread_([this] { Run(); }) {}

WalkAhead::~WalkAhead() {
    {
        const std::lock_guard lock(mutex_);
        dropped_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void WalkAhead::Run() {
    WalkedFolder folder;
    while (walk_.Next(folder)) {
        std::unique_lock lock(mutex_);
        if (ready_.size() >= kMostFolders || readyFiles_ >= kMostFiles) {
            walkerWaits_ = true;
            changed_.wait(lock, [this] {
                return dropped_ || (ready_.size() < kMostFolders && readyFiles_ < kMostFiles);
            });
            walkerWaits_ = false;
        }
        if (dropped_) return;
        readyFiles_ += folder.files.size();
        ready_.push_back(std::move(folder));
        folder = {};
        const bool wake = takerWaits_ && (ready_.size() >= kBatch || readyFiles_ >= kMostFiles);
        lock.unlock();
        if (wake) changed_.notify_all();
    }
    {
        const std::lock_guard lock(mutex_);
        done_ = true;
    }
    changed_.notify_all();
}

WalkAhead::Take WalkAhead::TakeWithin(WalkedFolder& out, std::chrono::milliseconds wait) {
    if (taken_.empty()) {
        std::unique_lock lock(mutex_);
        takerWaits_ = true;
        // Whatever is ready once the wait is over, even less than a batch.
        changed_.wait_for(lock, wait, [this] {
            return ready_.size() >= kBatch || readyFiles_ >= kMostFiles || done_;
        });
        takerWaits_ = false;
        taken_.swap(ready_);
        readyFiles_ = 0;
        const bool wake = walkerWaits_ && !taken_.empty();
        const bool done = done_;
        lock.unlock();
        if (wake) changed_.notify_all();
        if (taken_.empty()) return done ? Take::Done : Take::Waiting;
    }
    out = std::move(taken_.front());
    taken_.pop_front();
    return Take::Folder;
}

} // namespace quilder
