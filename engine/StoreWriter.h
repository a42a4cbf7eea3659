#pragma once

#include "PhaseOutcome.h"

#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quilder {

// Makes and deletes files of the work store on a thread of its own, in the order asked, so that
// a job reads the user's files while the store's files are made: making a file costs about as
// much as reading a small one. The thread runs at idle priority: it takes only the time the job
// leaves. Files are reached through the store's kept folder handles only. Where the file-system
// service may not be used from another thread, every request is carried out at once on the
// caller's thread.
class StoreWriter {
public:
    StoreWriter() = default;
    ~StoreWriter();
    StoreWriter(const StoreWriter&) = delete;
    StoreWriter& operator=(const StoreWriter&) = delete;

    // Appends `text` (whole lines) to the file `name` in the store folder `folder`, whose path
    // is `folderPath` (the store's own string, which outlives the request).
    void Append(int folder, const std::string& folderPath, std::string name,
                std::shared_ptr<const std::string> text);
    void Delete(int folder, std::string name);

    // Returns once everything asked so far is done. The caller carries out what is not begun
    // itself, at its own priority: an idle thread may wait long for a busy processor.
    void Drain();
    // Drops what is asked of these folders and not begun, and waits for what is under way
    // there: their handles are about to be closed.
    void Forget(const std::vector<int>& folders);
    // The first request that failed since the last call.
    std::optional<StoreFailure> TakeFailure();
    // A write that could not even be asked for (its folder is missing) counts as one that failed.
    void Fail(const std::string& path, int error);

    // What was carried out.
    struct Counts {
        std::size_t appends = 0, deletes = 0;
    };
    Counts Done();

private:
    struct Request {
        int folder;
        const std::string* folderPath; // null for a deletion
        std::string name;
        std::shared_ptr<const std::string> text;
    };
    using Queue = std::list<Request>;

    void Ask(Request request);
    void Carry(const Request& request);
    // Takes the next request unless it is for the file that `other` (under way elsewhere) is
    // for: requests for one file are carried out in the order asked.
    std::optional<Request> Next(const Request* other);
    void Work();

    std::mutex mutex_;
    std::condition_variable changed_;
    Queue queue_;
    const Request* busy_ = nullptr;    // under way on the thread
    const Request* helping_ = nullptr; // under way in Drain
    int waiting_ = 0;                  // in Drain or Forget
    bool stop_ = false;
    std::optional<StoreFailure> failure_;
    Counts counts_;
    std::thread thread_;
};

// The process's store writer: created on first use, released at shut-down (what was not begun
// by then is dropped: the next job rebuilds the store).
StoreWriter& StoreWriterService();
void ReleaseStoreWriterService();

} // namespace quilder
