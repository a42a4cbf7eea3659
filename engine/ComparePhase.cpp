#include "ComparePhase.h"

#include "Compare.h"
#include "FileSystem.h"
#include "Fingerprint.h"
#include "LineFile.h"
#include "LineReader.h"
#include "PathText.h"
#include "ReadAhead.h"
#include "ScanLists.h"
#include "SizeClass.h"
#include "WorkStore.h"

#include <cerrno>
#include <vector>

namespace quilder {

namespace {

constexpr int kComparedByContent[] = {4, 3, 2, 1, 0}; // Large, Normal, Small, Very Small, Tiny

// The host may read and delete group files at a yield: everything appended must be on disk.
void YieldWithGroupsWritten(EngineHost& host, LineFile& lines) {
    if (lines.PendingBytes() > 0) lines.Flush(); // Flush of nothing still walks every bucket
    host.Yield();
}

// A missing source (no such files, class not ticked, filtered away) copies nothing; a target
// that cannot be written is a store failure.
std::optional<StoreFailure> CopyListsAsGroups(FileSystem& fs) {
    std::optional<StoreFailure> failure;
    const auto copy = [&](int order, const std::string& name) {
        const int from = StoreFolderHandle(ScanFolderPaths[order]);
        const int to = StoreFolderHandle(GroupFolderPath(order));
        if (from < 0) return;
        const int error = to < 0 ? errno : fs.CopyFileAt(from, name, to, name);
        if (error != 0 && error != ENOENT && !failure)
            failure = StoreFailureOf(JoinPath(GroupFolderPath(order), name), error);
    };
    copy(kTinyOrder, "0");
    std::vector<std::string> names;
    for (const int order : {kHugeOrder, kVeryLargeOrder}) {
        const int folder = StoreFolderHandle(ScanFolderPaths[order]);
        if (folder < 0 || !fs.ListFileNamesAt(folder, names)) continue;
        for (const std::string& name : names)
            copy(order, name);
    }
    return failure;
}

} // namespace

namespace {

// Groups one sampled list: each file's samples were read once up front; only files with equal
// sample hashes are compared for real, which gives exactly the groups of comparing every pair
// in list order. A file whose size is no longer the listed one has changed since and matches
// nothing.
void GroupSampledList(EngineHost& host, const ListSamples& list) {
    LineFile& lines = LineFileService();
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
    const std::string groupPrefix = JoinPath(GroupFolderPath(order), list.name) + "_";
    std::vector<bool> taken(paths.size(), false);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!taken[i]) {
            std::string group;
            for (std::size_t j = next[i]; j != kNoMatch; j = next[j]) {
                if (taken[j] || !same(i, j)) continue;
                if (group.empty()) {
                    group = groupPrefix + std::to_string(i + 1);
                    lines.AppendLine(group, paths[i]);
                }
                lines.AppendLine(group, paths[j]);
                taken[j] = true;
            }
            if (!group.empty()) lines.Flush(group);
        }
        YieldWithGroupsWritten(host, lines);
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
    LineFile& lines = LineFileService();
    // Every list to group, in order; the zero-byte files are grouped without comparing below.
    std::vector<std::pair<int, std::string>> order;
    std::vector<std::string> names;
    for (const int classOrder : kComparedByContent) {
        const int handle = StoreFolderHandle(ScanFolderPaths[classOrder]);
        if (handle < 0 || !fs.ListFileNamesAt(handle, names)) continue;
        for (std::string& name : names)
            order.emplace_back(classOrder, std::move(name));
    }

    // Declared after everything the workers read, so that it stops and joins them first, on
    // every way out.
    ReadAhead ahead(fs, ReadAhead::WorkersFor(fs), kReadAheadBytes);
    std::size_t read = 0; // lists handed to the read-ahead
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (host.StopRequested() || host.Closing())
            return {PhaseVerdict::Stopped, lines.TakeFailure()};
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
    std::optional<StoreFailure> failure = lines.TakeFailure();
    std::optional<StoreFailure> copied = CopyListsAsGroups(fs);
    return {PhaseVerdict::Completed, failure ? failure : copied};
}

} // namespace quilder
