#pragma once

#include "FolderWalk.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace quilder {

// Runs a folder walk on a thread of its own, a few folders ahead of the caller, who takes the
// folders in the walk's own order. The thread only reads the file system; dropping this object
// (a stop, a closing window, the end of the phase) ends it at its next folder.
class WalkAhead {
public:
    explicit WalkAhead(FolderWalk& walk);
    ~WalkAhead();
    WalkAhead(const WalkAhead&) = delete;
    WalkAhead& operator=(const WalkAhead&) = delete;

    enum class Take { Folder, Waiting, Done };
    // The next folder when it comes within `wait`; Waiting when it does not, Done at the end.
    Take TakeWithin(WalkedFolder& out, std::chrono::milliseconds wait);

private:
    void Run();

    FolderWalk& walk_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<WalkedFolder> ready_; // guarded by mutex_
    std::size_t readyFiles_ = 0;
    bool done_ = false;
    bool dropped_ = false;
    bool takerWaits_ = false, walkerWaits_ = false; // a wake-up is a system call: only when needed
    std::deque<WalkedFolder> taken_;                // the caller's own
    std::thread thread_;                            // last: starts once everything above is made
};

} // namespace quilder
