#include "Scanner.h"

#include "FileSystem.h"
#include "LineFile.h"
#include "PathText.h"
#include "SizeClass.h"
#include "WorkStore.h"

#include <charconv>

namespace quilder {

namespace {

void AppendToScanList(LineFile& lines, int order, std::uint64_t size, const std::string& path) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, size).ptr;
    const std::string& folder = ScanFolderPaths[order];
    std::string list;
    list.reserve(folder.size() + 1 + static_cast<std::size_t>(end - digits));
    list += folder;
    list += '/';
    list.append(digits, end);
    lines.AppendLine(list, path);
}

} // namespace

void ScanFolder(EngineHost& host, const std::string& path, bool recurse) {
    FolderListing listing;
    if (!FileSystemService().ListFolder(path, listing, recurse)) return;
    LineFile& lines = LineFileService();
    for (const FileEntry& file : listing.files) {
        const int order = ClassOfSize(file.size);
        if (!host.ClassBoxTicked(BoxOfOrder(order))) continue;
        if (HasLineBreakOrTab(file.path)) continue; // cannot be one line of a list file
        AppendToScanList(lines, order, file.size, file.path);
    }
    if (!recurse) return;
    listing.files = {}; // keep only the sub-folders while descending
    for (const FolderEntry& folder : listing.folders) {
        if (HasLineBreakOrTab(folder.name)) continue; // nothing below it could be listed
        ScanFolder(host, folder.path, true);
        host.Yield();
    }
}

PhaseVerdict RunScanningPhase(EngineHost& host, int nodeCount) {
    for (int position = 1; position <= nodeCount; ++position) {
        if (host.NodeChecked(position)) {
            const QString key = host.NodeKey(position);
            host.SetStatusText(QStringLiteral("Scanning in '") + key + QLatin1Char('\''));
            ScanFolder(host, TextToPath(key), host.NodeChildCount(position) == 0);
        }
        if (host.StopRequested()) {
            host.SetAnimationInterval(0);
            LineFileService().Flush();
            return PhaseVerdict::Stopped;
        }
        host.Yield();
    }
    LineFileService().Flush();
    return PhaseVerdict::Completed;
}

} // namespace quilder
