#include "Scanner.h"

#include "FileSystem.h"
#include "PathText.h"
#include "ScanLists.h"
#include "SizeClass.h"

#include <cerrno>
#include <unordered_map>

namespace quilder {

namespace {

// What one scan has listed of a folder, by the folder's identity: one folder reached by two
// paths (given twice, or once inside another given folder) is listed once, so that no file is
// ever grouped with itself.
enum class Listed { FilesOnly, Subtree };
using ListedFolders = std::unordered_map<FolderId, Listed, FolderIdHash>;

struct Scan {
    ListedFolders listed;
    LeftOutNames leftOut;
    UnreadableFolders unreadable;
};

void Visit(EngineHost& host, const std::string& path, bool recurse, Scan& scan) {
    ListedFolders& listed = scan.listed;
    FolderListing listing;
    errno = 0;
    if (!FileSystemService().ListFolder(path, listing, recurse)) {
        // Skipped, but told at the end of the job: a folder of another user's, say.
        if (scan.unreadable.count++ == 0) {
            scan.unreadable.first = path;
            scan.unreadable.firstError = errno;
        }
        return;
    }
    const auto [known, fresh] =
        listed.try_emplace(listing.id, recurse ? Listed::Subtree : Listed::FilesOnly);
    if (!fresh) {
        if (known->second == Listed::Subtree || !recurse) return;
        known->second = Listed::Subtree; // its files are listed already, its sub-folders not
    } else {
        ScanLists& lists = ScanListsService();
        for (const FileEntry& file : listing.files) {
            const int order = ClassOfSize(file.size);
            if (!host.ClassBoxTicked(BoxOfOrder(order))) continue;
            if (HasLineBreakOrTab(file.path)) { // cannot be one line of a list file
                ++scan.leftOut.files;
                continue;
            }
            lists.Add(order, file.size, file.path);
        }
    }
    if (!recurse) return;
    listing.files = {}; // keep only the sub-folders while descending
    for (const FolderEntry& folder : listing.folders) {
        if (HasLineBreakOrTab(folder.name)) { // nothing below it could be listed
            ++scan.leftOut.folders;
            continue;
        }
        const auto seen = listed.find(folder.id);
        if (seen != listed.end() && seen->second == Listed::Subtree) continue;
        Visit(host, folder.path, true, scan);
        host.Yield();
        if (host.Closing()) return;
    }
}

} // namespace

ScanOutcome RunScanningPhase(EngineHost& host, int nodeCount) {
    Scan scan;
    ScanLists& lists = ScanListsService();
    for (int position = 1; position <= nodeCount; ++position) {
        // A position past the tree's current count reads as an unchecked node.
        if (host.NodeChecked(position)) {
            const QString key = host.NodeKey(position);
            host.SetStatusText(QStringLiteral("Scanning in '") + key + QLatin1Char('\''));
            Visit(host, TextToPath(key), host.NodeChildCount(position) == 0, scan);
        }
        if (host.StopRequested() || host.Closing()) {
            host.SetAnimationInterval(0);
            if (!host.Closing()) lists.WriteAllFrom(0); // nobody is left to wait for them
            return {{PhaseVerdict::Stopped, lists.TakeFailure()}, scan.leftOut, scan.unreadable};
        }
        host.Yield();
    }
    lists.WriteShared([&host] {
        host.Yield();
        return !host.Closing();
    });
    return {{PhaseVerdict::Completed, lists.TakeFailure()}, scan.leftOut, scan.unreadable};
}

} // namespace quilder
