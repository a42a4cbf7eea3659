#include "ComparePhase.h"

#include "Compare.h"
#include "FileSystem.h"
#include "Fingerprint.h"
#include "LineFile.h"
#include "LineReader.h"
#include "PathText.h"
#include "SizeClass.h"
#include "WorkStore.h"

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

void CopyListsAsGroups(FileSystem& fs) {
    // A missing source (no such files, class not ticked, filtered away) copies nothing.
    fs.CopyFile(JoinPath(ScanFolderPaths[kTinyOrder], "0"),
                JoinPath(GroupFolderPath(kTinyOrder), "0"));
    std::vector<std::string> names;
    for (const int order : {kHugeOrder, kVeryLargeOrder}) {
        if (!fs.ListFileNames(ScanFolderPaths[order], names)) continue;
        for (const std::string& name : names)
            fs.CopyFile(JoinPath(ScanFolderPaths[order], name),
                        JoinPath(GroupFolderPath(order), name));
    }
}

} // namespace

void GroupScanList(EngineHost& host, const std::string& folder, const std::string& listName,
                   int classOrder, std::size_t keepSamplesBytes) {
    FileSystem& fs = FileSystemService();
    LineFile& lines = LineFileService();
    std::vector<std::string> paths;
    if (!ReadAllLines(fs, JoinPath(folder, listName), paths)) return;
    host.SetStatusText(QStringLiteral("Comparing '") +
                       PathToText(paths.empty() ? std::string_view() : paths.front()) +
                       QLatin1Char('\''));

    // Each file's samples are read once up front; only files with equal sample hashes are then
    // compared for real, which gives exactly the groups of comparing every pair in list order.
    // A list whose name is not a size of its class is none the scanner wrote: its files are read
    // only as far as the class reaches, and every match is confirmed by reading the files again.
    std::uint64_t listedSize = ListedSize(listName);
    if (listedSize < kSizeClasses[classOrder].smallest ||
        listedSize > kSizeClasses[classOrder].largest) {
        listedSize = kSizeClasses[classOrder].largest;
        keepSamplesBytes = 0;
    }
    const SampledList sampled = SampleList(fs, paths, classOrder, listedSize, keepSamplesBytes);
    const std::vector<std::size_t>& next = sampled.next;
    const std::string code(kSizeClasses[classOrder].code);
    const auto same = [&](std::size_t i, std::size_t j) {
        if (sampled.IsKept(i) && sampled.IsKept(j))
            return sampled.SamplesOf(i) == sampled.SamplesOf(j);
        return CompareFiles(paths[i], paths[j], code);
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
    }
}

PhaseVerdict RunComparingPhase(EngineHost& host) {
    FileSystem& fs = FileSystemService();
    std::vector<std::string> names;
    for (const int order : kComparedByContent) {
        const std::string& folder = ScanFolderPaths[order];
        if (!fs.ListFileNames(folder, names)) continue;
        for (const std::string& name : names) {
            if (host.StopRequested()) return PhaseVerdict::Stopped;
            if (name == "0") continue; // the zero-byte files: grouped without comparing below
            GroupScanList(host, folder, name, order);
        }
    }
    CopyListsAsGroups(fs);
    return PhaseVerdict::Completed;
}

} // namespace quilder
