#include "ComparePhase.h"

#include "Compare.h"
#include "FileSystem.h"
#include "Fingerprint.h"
#include "LineFile.h"
#include "LineReader.h"
#include "PathText.h"
#include "SizeClass.h"
#include "WorkStore.h"

#include <cerrno>
#include <charconv>
#include <vector>

namespace quilder {

namespace {

constexpr int kComparedByContent[] = {4, 3, 2, 1, 0}; // Large, Normal, Small, Very Small, Tiny

// The host may read and delete group files at a yield: everything appended must be on disk.
void YieldWithGroupsWritten(EngineHost& host, LineFile& lines) {
    if (lines.PendingBytes() > 0) lines.Flush(); // Flush of nothing still walks every bucket
    host.Yield();
}

// A scan list is named by the size of its files.
std::uint64_t ListedSize(const std::string& listName) {
    std::uint64_t size = 0;
    const char* end = listName.data() + listName.size();
    const auto [stop, error] = std::from_chars(listName.data(), end, size);
    return error == std::errc() && stop == end ? size : UINT64_MAX;
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

void GroupScanList(EngineHost& host, const std::string& folder, const std::string& listName,
                   int classOrder, std::size_t keepSamplesBytes, SampleHash hash) {
    FileSystem& fs = FileSystemService();
    LineFile& lines = LineFileService();
    std::vector<std::string> paths;
    const int handle = StoreFolderHandle(folder);
    if (handle < 0) return;
    LineReader reader(fs, handle, listName);
    if (!ReadAllLines(reader, paths)) return;
    host.SetStatusText(QStringLiteral("Comparing '") +
                       PathToText(paths.empty() ? std::string_view() : paths.front()) +
                       QLatin1Char('\''));

    // Each file's samples are read once up front; only files with equal sample hashes are then
    // compared for real, which gives exactly the groups of comparing every pair in list order.
    // A list whose name is not a size of its class is none the scanner wrote: its files are read
    // only as far as the class reaches, and every match is confirmed by reading the files again.
    // A file whose size is no longer the listed one has changed since and matches nothing.
    std::optional<std::uint64_t> exactSize = ListedSize(listName);
    if (*exactSize < kSizeClasses[classOrder].smallest ||
        *exactSize > kSizeClasses[classOrder].largest) {
        exactSize.reset();
        keepSamplesBytes = 0;
    }
    const SampledList sampled =
        SampleList(fs, paths, classOrder, exactSize.value_or(kSizeClasses[classOrder].largest),
                   exactSize.has_value(), keepSamplesBytes, hash);
    const std::vector<std::size_t>& next = sampled.next;
    const std::string code(kSizeClasses[classOrder].code);
    const auto same = [&](std::size_t i, std::size_t j) {
        if (sampled.IsKept(i) && sampled.IsKept(j))
            return sampled.SamplesOf(i) == sampled.SamplesOf(j);
        return CompareFiles(paths[i], paths[j], code, exactSize);
    };
    const std::string groupPrefix = JoinPath(GroupFolderPath(classOrder), listName) + "_";
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

PhaseOutcome RunComparingPhase(EngineHost& host) {
    FileSystem& fs = FileSystemService();
    LineFile& lines = LineFileService();
    std::vector<std::string> names;
    for (const int order : kComparedByContent) {
        const std::string& folder = ScanFolderPaths[order];
        const int handle = StoreFolderHandle(folder);
        if (handle < 0 || !fs.ListFileNamesAt(handle, names)) continue;
        for (const std::string& name : names) {
            if (host.StopRequested() || host.Closing())
                return {PhaseVerdict::Stopped, lines.TakeFailure()};
            if (name == "0") continue; // the zero-byte files: grouped without comparing below
            GroupScanList(host, folder, name, order);
        }
    }
    std::optional<StoreFailure> failure = lines.TakeFailure();
    std::optional<StoreFailure> copied = CopyListsAsGroups(fs);
    return {PhaseVerdict::Completed, failure ? failure : copied};
}

} // namespace quilder
