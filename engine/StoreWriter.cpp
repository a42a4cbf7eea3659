#include "StoreWriter.h"

#include "FileSystem.h"
#include "IdlePriority.h"
#include "PathText.h"
#include "Service.h"

#include <algorithm>
#include <system_error>

namespace quilder {

StoreWriter::~StoreWriter() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void StoreWriter::Append(int folder, const std::string& folderPath, std::string name,
                         std::shared_ptr<const std::string> text) {
    Ask({folder, &folderPath, std::move(name), std::move(text)});
}

void StoreWriter::Delete(int folder, std::string name) {
    Ask({folder, nullptr, std::move(name), nullptr});
}

void StoreWriter::Ask(Request request) {
    if (!SafeOnAnyThread(FileSystemService())) {
        Carry(request);
        return;
    }
    bool wake = false;
    Queue orphaned; // asked while no thread could be had: carried out here, in order
    {
        const std::lock_guard lock(mutex_);
        // The thread waits only on an empty queue: waking it for every request would cost a
        // switch of threads each time.
        wake = queue_.empty();
        queue_.push_back(std::move(request));
        if (!thread_.joinable()) {
            try {
                thread_ = std::thread([this] { Work(); });
            } catch (const std::system_error&) {
                orphaned.swap(queue_);
            }
        }
    }
    // Carry takes the lock itself.
    for (const Request& each : orphaned)
        Carry(each);
    if (wake) changed_.notify_all();
}

void StoreWriter::Carry(const Request& request) {
    FileSystem& fs = FileSystemService();
    if (!request.text) {
        fs.DeleteFileAt(request.folder, request.name);
        const std::lock_guard lock(mutex_);
        ++counts_.deletes;
        return;
    }
    const int error = fs.AppendAt(request.folder, request.name, *request.text);
    if (error != 0) Fail(JoinPath(*request.folderPath, request.name), error);
    const std::lock_guard lock(mutex_);
    ++counts_.appends;
}

std::optional<StoreWriter::Request> StoreWriter::Next(const Request* other) {
    if (queue_.empty()) return std::nullopt;
    const Request& front = queue_.front();
    if (other && other->folder == front.folder && other->name == front.name) return std::nullopt;
    Request request = std::move(queue_.front());
    queue_.pop_front();
    return request;
}

void StoreWriter::Work() {
    RunAtIdlePriority(); // where refused, it runs as any other thread
    std::unique_lock lock(mutex_);
    for (;;) {
        std::optional<Request> request;
        changed_.wait(lock, [&] { return stop_ || (request = Next(helping_)); });
        if (stop_) return;
        busy_ = &*request;
        lock.unlock();
        Carry(*request);
        lock.lock();
        busy_ = nullptr;
        // Drain waits for an empty queue, Forget for the end of what is under way.
        if (queue_.empty() || waiting_ > 0) changed_.notify_all();
    }
}

void StoreWriter::Drain() {
    std::unique_lock lock(mutex_);
    ++waiting_;
    for (;;) {
        if (std::optional<Request> request = Next(busy_)) {
            helping_ = &*request;
            lock.unlock();
            Carry(*request);
            lock.lock();
            helping_ = nullptr;
            changed_.notify_all(); // the thread may wait for this file
            continue;
        }
        if (queue_.empty() && !busy_) break;
        changed_.wait(lock);
    }
    --waiting_;
}

void StoreWriter::Forget(const std::vector<int>& folders) {
    const auto among = [&](int folder) {
        return std::find(folders.begin(), folders.end(), folder) != folders.end();
    };
    std::unique_lock lock(mutex_);
    for (auto it = queue_.begin(); it != queue_.end();) {
        if (!among(it->folder)) {
            ++it;
            continue;
        }
        it = queue_.erase(it);
    }
    ++waiting_;
    changed_.wait(lock, [&] {
        return (!busy_ || !among(busy_->folder)) && (!helping_ || !among(helping_->folder));
    });
    --waiting_;
}

std::optional<StoreFailure> StoreWriter::TakeFailure() {
    const std::lock_guard lock(mutex_);
    return std::exchange(failure_, std::nullopt);
}

void StoreWriter::Fail(const std::string& path, int error) {
    const std::lock_guard lock(mutex_);
    if (!failure_) failure_ = StoreFailureOf(path, error);
}

StoreWriter::Counts StoreWriter::Done() {
    const std::lock_guard lock(mutex_);
    return counts_;
}

StoreWriter& StoreWriterService() {
    return ServiceInstance<StoreWriter>();
}

void ReleaseStoreWriterService() {
    ServiceSlot<StoreWriter>().reset();
}

} // namespace quilder
