#include "ComparePhase.h"

#include "Compare.h"
#include "FileSystem.h"
#include "Fingerprint.h"
#include "HeldGroups.h"
#include "LineReader.h"
#include "PathText.h"
#include "ReadAhead.h"
#include "ScanLists.h"
#include "SizeClass.h"
#include "StoreWriter.h"
#include "WorkStore.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace quilder {

namespace {

constexpr int kComparedByContent[] = {4, 3, 2, 1, 0}; // Large, Normal, Small, Very Small, Tiny

// A group goes to the loader through memory; its file is written only when no load takes it.
void PutGroup(int order, std::string name, std::string lines,
              std::vector<std::optional<FileFacts>> facts) {
    auto text = std::make_shared<const std::string>(std::move(lines));
    HeldGroupsService().Add(order, {std::move(name), std::move(text), std::move(facts)});
}

// The scan lists of a class: those on disk, and those held in memory, which the store writer
// may not have written yet.
std::vector<std::string> ScanListNames(FileSystem& fs, int order) {
    std::vector<std::string> names = ScanListsService().HeldNames(order);
    std::vector<std::string> onDisk;
    const int handle = StoreFolderHandle(ScanFolderPaths[order]);
    if (handle >= 0 && fs.ListFileNamesAt(handle, onDisk)) {
        std::sort(names.begin(), names.end());
        const std::size_t held = names.size();
        for (std::string& name : onDisk)
            if (!std::binary_search(names.begin(), names.begin() + held, name))
                names.push_back(std::move(name));
    }
    return names;
}

// A missing source (no such files, class not ticked, filtered away) copies nothing; a target
// that cannot be written is a store failure.
std::optional<StoreFailure> CopyListsAsGroups(FileSystem& fs) {
    std::optional<StoreFailure> failure;
    const auto copy = [&](int order, const std::string& name) {
        const int from = StoreFolderHandle(ScanFolderPaths[order]);
        const int to = StoreFolderHandle(GroupFolderPath(order));
        if (from < 0) return;
        if (to < 0) {
            if (!failure) failure = StoreFailureOf(JoinPath(GroupFolderPath(order), name), errno);
            return;
        }
        // A list still in memory is handed on from there, like the groups compared.
        if (auto text = ScanListsService().TakeHeldText(order, name)) {
            if (!text->empty()) HeldGroupsService().Add(order, {name, std::move(text), {}});
            return;
        }
        const int error = fs.CopyFileAt(from, name, to, name);
        if (error == 0) HeldGroupsService().Unheld(order);
        if (error != 0 && error != ENOENT && !failure)
            failure = StoreFailureOf(JoinPath(GroupFolderPath(order), name), error);
    };
    copy(kTinyOrder, "0");
    for (const int order : {kHugeOrder, kVeryLargeOrder})
        for (const std::string& name : ScanListNames(fs, order))
            copy(order, name);
    return failure;
}

} // namespace

namespace {

// Groups one sampled list: each file's samples were read once up front; only files with equal
// sample hashes are compared for real, which gives exactly the groups of comparing every pair
// in list order. A file whose size is no longer the listed one has changed since and matches
// nothing.
void GroupSampledList(EngineHost& host, const ListSamples& list) {
    const std::vector<std::string>& paths = list.paths;
    host.SetStatusText(QStringLiteral("Comparing '") +
                       PathToText(paths.empty() ? std::string_view() : paths.front()) +
                       QLatin1Char('\''));
    const SampledList& sampled = list.sampled;
    const std::vector<std::size_t>& next = sampled.next;
    const int order = list.plan.classOrder;
    const std::string code(kSizeClasses[order].code);
    std::optional<std::uint64_t> exactSize;
    if (list.plan.exactSize) exactSize = list.plan.listedSize;
    const auto same = [&](std::size_t i, std::size_t j) {
        if (sampled.IsKept(i) && sampled.IsKept(j))
            return sampled.SamplesOf(i) == sampled.SamplesOf(j);
        return CompareFiles(paths[i], paths[j], code, exactSize);
    };
    std::vector<bool> taken(paths.size(), false);
    const auto add = [&](std::string& group, std::vector<std::optional<FileFacts>>& facts,
                         std::size_t at) {
        group.append(paths[at]);
        group.append("\r\n", 2);
        facts.push_back(sampled.FactsOf(at));
    };
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!taken[i]) {
            std::string group;
            std::vector<std::optional<FileFacts>> facts;
            for (std::size_t j = next[i]; j != kNoMatch; j = next[j]) {
                if (taken[j] || !same(i, j)) continue;
                if (group.empty()) add(group, facts, i);
                add(group, facts, j);
                taken[j] = true;
            }
            if (!group.empty())
                PutGroup(order, list.name + '_' + std::to_string(i + 1), std::move(group),
                         std::move(facts));
        }
        host.Yield();
        if (host.Closing()) return;
    }
}

// The paths of a scan list, read on the calling thread; false when it cannot be read.
bool ReadList(FileSystem& fs, const std::string& folder, const std::string& name,
              std::vector<std::string>& paths) {
    const int handle = StoreFolderHandle(folder);
    if (handle < 0) return false;
    LineReader reader(fs, handle, name);
    return ReadAllLines(reader, paths);
}

// A list this job's scan still holds in memory is taken from there instead of read back.
bool ReadScanList(FileSystem& fs, int classOrder, const std::string& name,
                  std::vector<std::string>& paths) {
    return ScanListsService().TakeHeld(classOrder, name, paths) ||
           ReadList(fs, ScanFolderPaths[classOrder], name, paths);
}

// While a list is sampled the window keeps answering; a closing window drops the wait.
ReadAhead::Yield YieldsTo(EngineHost& host) {
    return [&host] {
        host.Yield();
        return !host.Closing();
    };
}

// Lists read ahead keep at most about this much memory (paths and kept samples) besides the
// one being grouped.
constexpr std::size_t kReadAheadBytes = 24u << 20;

} // namespace

void GroupScanList(EngineHost& host, const std::string& folder, const std::string& listName,
                   int classOrder, std::size_t keepSamplesBytes, SampleHash hash) {
    FileSystem& fs = FileSystemService();
    ListSamples list;
    list.name = listName;
    list.plan = PlanSampling(listName, classOrder, keepSamplesBytes, hash);
    if (!ReadList(fs, folder, listName, list.paths)) return;
    ReadAhead ahead(fs, 0, 0);
    ahead.Add(std::move(list));
    const ListSamples sampled = ahead.Take(YieldsTo(host));
    if (sampled.read) GroupSampledList(host, sampled);
}

PhaseOutcome RunComparingPhase(EngineHost& host) {
    FileSystem& fs = FileSystemService();
    StoreWriter& writer = StoreWriterService();
    // Every list to group, in order; the zero-byte files are grouped without comparing below.
    std::vector<std::pair<int, std::string>> order;
    for (const int classOrder : kComparedByContent)
        for (std::string& name : ScanListNames(fs, classOrder))
            order.emplace_back(classOrder, std::move(name));

    // Declared after everything the workers read, so that it stops and joins them first, on
    // every way out.
    ReadAhead ahead(fs, ReadAhead::WorkersFor(fs), kReadAheadBytes);
    std::size_t read = 0; // lists handed to the read-ahead
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (host.StopRequested() || host.Closing())
            return {PhaseVerdict::Stopped, writer.TakeFailure()};
        for (; read < order.size() && ahead.HasRoom(); ++read) {
            const auto& [classOrder, name] = order[read];
            if (name == "0") continue;
            ListSamples list;
            list.name = name;
            list.plan = PlanSampling(name, classOrder, kKeepSamplesBytes, HashSamples);
            list.read = ReadScanList(fs, classOrder, name, list.paths);
            ahead.Add(std::move(list));
        }
        if (order[k].second == "0") continue;
        const ListSamples list = ahead.Take(YieldsTo(host));
        if (list.read) GroupSampledList(host, list);
    }
    std::optional<StoreFailure> failure = writer.TakeFailure();
    std::optional<StoreFailure> copied = CopyListsAsGroups(fs);
    return {PhaseVerdict::Completed, failure ? failure : copied};
}

void WriteUntakenGroups() {
    HeldGroups& held = HeldGroupsService();
    StoreWriter& writer = StoreWriterService();
    for (int order = 0; order < kClassCount; ++order) {
        std::vector<HeldGroup> groups = held.Take(order);
        if (groups.empty()) continue;
        held.Unheld(order); // a later load must look at the folder itself
        const std::string& folderPath = GroupFolderPath(order);
        const int folder = StoreFolderHandle(folderPath);
        for (HeldGroup& group : groups) {
            if (folder >= 0)
                writer.Append(folder, folderPath, std::move(group.name), std::move(group.lines));
            else
                writer.Fail(JoinPath(folderPath, group.name), errno);
        }
    }
}

} // namespace quilder
