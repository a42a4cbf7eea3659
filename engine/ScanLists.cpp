#include "ScanLists.h"

#include "FileSystem.h"
#include "PathText.h"
#include "Service.h"
#include "StoreWriter.h"
#include "WorkStore.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <future>
#include <system_error>
#include <thread>
#include <utility>

namespace quilder {

namespace {

// The handle of a class folder of the scan lists, or the error that opening it gave, negated.
int FolderOrError(int order) {
    const int handle = StoreFolderHandle(ScanFolderPaths[order]);
    return handle >= 0 ? handle : -(errno != 0 ? errno : EIO);
}

} // namespace

ScanLists::~ScanLists() {
    WriteAllFrom(0);
}

void ScanLists::Add(int order, std::uint64_t size, std::string_view path) {
    const auto [it, fresh] = classes_[order].try_emplace(size);
    List& list = it->second;
    list.pending.append(path);
    list.pending.append("\r\n", 2);
    ++list.lines;
    bytes_ += path.size() + 2 + (fresh ? kBytesPerList : 0);
    if (bytes_ > memoryBound_) Spill();
}

void ScanLists::Write(int order, std::uint64_t size, List& list, bool keep) {
    Note(WriteTo(FolderOrError(order), FileSystemService(), order, size, list, keep));
}

void ScanLists::Note(const Written& done) {
    bytes_ -= done.freed;
    if (done.error != 0 && !failure_)
        failure_ = StoreFailureOf(JoinPath(ScanFolderPaths[done.order], done.name), done.error);
}

ScanLists::Written ScanLists::WriteTo(int folder, FileSystem& fs, int order, std::uint64_t size,
                                      List& list, bool keep) {
    Written done;
    if (list.pending.empty() || list.held) return done;
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, size).ptr;
    const std::string name(digits, end);
    const int error = folder < 0 ? -folder : fs.AppendAt(folder, name, list.pending);
    if (error != 0) {
        done.error = error;
        done.order = order;
        done.name = name;
    }
    list.held = keep && error == 0 && !list.written;
    list.written = true;
    if (list.held) return done;
    done.freed = list.pending.size();
    std::string().swap(list.pending);
    return done;
}

// Everything goes to disk. The tables go too when they alone would keep memory above the
// bound (a tree of millions of sizes): counts made afterwards are then only lower bounds.
void ScanLists::Spill() {
    WriteAllFrom(0);
    if (bytes_ <= memoryBound_ / 2) return;
    for (int order = 0; order < kClassCount; ++order) {
        Class().swap(classes_[order]);
        forgotten_[order] = true;
    }
    bytes_ = 0;
}

void ScanLists::WriteShared(const std::function<bool()>& yield) {
    for (int order = 0; order < kClassCount; ++order)
        if (!forgotten_[order] && !HandToWriter(order, yield)) return;
    // A class whose table was emptied may have lists of one line on disk already: each list
    // goes to the disk now, for filtering to count. Making a file locks its folder, so two
    // threads each take whole class folders: the largest to the calling thread, the others to
    // a helper, in about equal counts of files.
    FileSystem& fs = FileSystemService();
    std::array<int, kClassCount> handles{};
    std::array<bool, kClassCount> helped{};
    std::size_t mine = 0;
    std::size_t theirs = 0;
    std::array<std::size_t, kClassCount> files{};
    std::array<int, kClassCount> byFiles{};
    for (int order = 0; order < kClassCount; ++order) {
        byFiles[order] = order;
        handles[order] = FolderOrError(order);
        if (forgotten_[order]) files[order] = classes_[order].size();
    }
    std::sort(byFiles.begin(), byFiles.end(), [&](int a, int b) { return files[a] > files[b]; });
    for (const int order : byFiles) {
        std::size_t& side = mine <= theirs ? mine : theirs;
        helped[order] = &side == &theirs;
        side += files[order];
    }
    // The calling thread lets the window run every few dozen files; a closing window ends the
    // writing on both threads.
    std::atomic<bool> abandon{false};
    const auto pause = [&] {
        if (yield && !yield()) abandon = true;
    };
    const auto writeClasses = [&](bool byHelper, bool pausing) {
        Written all;
        std::size_t count = 0;
        for (int order = 0; order < kClassCount; ++order) {
            if (helped[order] != byHelper) continue;
            for (auto& [size, list] : classes_[order]) {
                if (!forgotten_[order]) break;
                if (abandon) return all;
                all.Add(WriteTo(handles[order], fs, order, size, list, !forgotten_[order]));
                if (pausing && ++count % kListsPerYield == 0) pause();
            }
        }
        return all;
    };
    // A replaced file-system service (a test's seam) may keep state that is not thread-safe.
    Written helper;
    std::thread thread;
    std::promise<void> helperDone;
    if (SafeOnAnyThread(fs) && theirs > 0) {
        try {
            thread = std::thread([&] {
                helper = writeClasses(true, false);
                helperDone.set_value();
            });
        } catch (const std::system_error&) { // no thread to be had: all on this one
        }
    }
    Written own = writeClasses(false, true);
    if (thread.joinable()) {
        const std::future<void> done = helperDone.get_future();
        while (done.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
            pause();
        thread.join();
    } else if (theirs > 0) {
        helper = writeClasses(true, true);
    }
    Note(own);
    Note(helper);
}

void ScanLists::WriteAllFrom(int order) {
    for (; order < kClassCount; ++order)
        for (auto& [size, list] : classes_[order])
            Write(order, size, list);
}

std::optional<std::uint64_t> SizeOfListName(std::string_view name) {
    std::uint64_t size = 0;
    const char* end = name.data() + name.size();
    const auto [stop, error] = std::from_chars(name.data(), end, size);
    if (error != std::errc() || stop != end || name.empty() || (name[0] == '0' && name != "0"))
        return std::nullopt;
    return size;
}

std::optional<ScanLists::Known> ScanLists::Lines(int order, std::string_view name) const {
    const std::optional<std::uint64_t> size = SizeOfListName(name);
    const auto it = size ? classes_[order].find(*size) : classes_[order].end();
    if (it == classes_[order].end()) return std::nullopt;
    return Known{it->second.lines, !forgotten_[order]};
}

void ScanLists::DropClass(int order, bool keepHeld) {
    Class& lists = classes_[order];
    for (auto it = lists.begin(); it != lists.end();) {
        if (keepHeld && it->second.held) {
            ++it;
            continue;
        }
        bytes_ -= it->second.Bytes() + kBytesPerList;
        it = lists.erase(it);
    }
    if (lists.empty()) Class().swap(lists);
    forgotten_[order] = false;
}

bool ScanLists::TakeHeld(int order, std::string_view name, std::vector<std::string>& paths) {
    const std::optional<std::uint64_t> size = SizeOfListName(name);
    const auto it = size ? classes_[order].find(*size) : classes_[order].end();
    if (it == classes_[order].end() || !it->second.held) return false;
    const std::string& held = it->second.Held();
    paths.clear();
    for (std::size_t from = 0, end = 0; from < held.size(); from = end + 2) {
        end = std::min(held.find("\r\n", from), held.size());
        paths.emplace_back(held, from, end - from);
    }
    bytes_ -= held.size() + kBytesPerList;
    classes_[order].erase(it);
    return true;
}

std::shared_ptr<const std::string> ScanLists::TakeHeldText(int order, std::string_view name) {
    const std::optional<std::uint64_t> size = SizeOfListName(name);
    const auto it = size ? classes_[order].find(*size) : classes_[order].end();
    if (it == classes_[order].end() || !it->second.held) return nullptr;
    List& list = it->second;
    bytes_ -= list.Bytes() + kBytesPerList;
    auto text = list.shared ? std::move(list.shared)
                            : std::make_shared<const std::string>(std::move(list.pending));
    classes_[order].erase(it);
    return text;
}

std::vector<std::string> ScanLists::HeldNames(int order) const {
    std::vector<std::string> names;
    for (const auto& [size, list] : classes_[order])
        if (list.held) names.push_back(std::to_string(size));
    return names;
}

bool ScanLists::HandToWriter(int order, const std::function<bool()>& yield) {
    std::size_t handed = 0;
    StoreWriter& writer = StoreWriterService();
    const std::string& folderPath = ScanFolderPaths[order];
    const int folder = FolderOrError(order);
    for (auto& [size, list] : classes_[order]) {
        if (list.lines < 2 || list.held || list.pending.empty()) continue;
        if (folder < 0) {
            Note({0, -folder, order, std::to_string(size)});
            continue;
        }
        // A list partly written before (the memory bound was reached) is not whole in memory:
        // it is finished here, so that what reads it from the disk finds it whole.
        if (list.written) {
            Note(WriteTo(folder, FileSystemService(), order, size, list, false));
            continue;
        }
        auto text = std::make_shared<const std::string>(std::move(list.pending));
        list.pending.clear();
        writer.Append(folder, folderPath, std::to_string(size), text);
        list.held = list.written = true;
        list.shared = std::move(text);
        // Tens of thousands of lists take a while to hand over: the window answers meanwhile.
        if (++handed % kListsPerHandOver == 0 && yield && !yield()) return false;
    }
    return true;
}

void ScanLists::Clear() {
    for (int order = 0; order < kClassCount; ++order)
        DropClass(order);
    bytes_ = 0;
}

std::optional<StoreFailure> ScanLists::TakeFailure() {
    return std::exchange(failure_, std::nullopt);
}

ScanLists& ScanListsService() {
    return ServiceInstance<ScanLists>();
}

void ReleaseScanListsService() {
    ServiceSlot<ScanLists>().reset();
}

} // namespace quilder
