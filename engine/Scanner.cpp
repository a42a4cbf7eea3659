#include "Scanner.h"

#include "FileSystem.h"
#include "FolderWalk.h"
#include "PathText.h"
#include "ScanLists.h"
#include "SizeClass.h"
#include "UsableCores.h"
#include "WalkAhead.h"

#include <chrono>
#include <utility>

namespace quilder {

namespace {

// How long the window waits for the walk's thread before it lets its events run.
constexpr std::chrono::milliseconds kWaitSlice{10};

struct Scan {
    FileSystem& fs;
    bool ahead; // subtrees are read on a thread of their own
    ListedFolders listed;
    LeftOutNames leftOut;
    UnreadableFolders unreadable;
};

// Puts one folder's files into the scan lists, in the order the folder gave them.
void Add(EngineHost& host, const WalkedFolder& folder, Scan& scan) {
    if (!folder.read) {
        // Skipped, but told at the end of the job: a folder of another user's, say.
        if (scan.unreadable.count++ == 0) {
            scan.unreadable.first = folder.path;
            scan.unreadable.firstError = folder.error;
        }
        return;
    }
    scan.leftOut.folders += folder.leftOutFolders;
    if (!folder.newFiles) return;
    ScanLists& lists = ScanListsService();
    for (const FileEntry& file : folder.files) {
        const int order = ClassOfSize(file.size);
        if (!host.ClassBoxTicked(BoxOfOrder(order))) continue;
        if (HasLineBreakOrTab(file.path)) { // cannot be one line of a list file
            ++scan.leftOut.files;
            continue;
        }
        lists.Add(order, file.size, file.path);
    }
}

// Lists one given folder, or its whole subtree. False when the window closed meanwhile.
bool Visit(EngineHost& host, const std::string& path, bool recurse, Scan& scan) {
    FolderWalk walk(scan.fs, path, recurse, scan.listed);
    WalkedFolder folder;
    bool first = true;
    // After each folder below the given one, as the window's events may be waiting.
    const auto added = [&] {
        Add(host, folder, scan);
        if (!std::exchange(first, false)) host.Yield();
        return !host.Closing();
    };
    if (scan.ahead && recurse) {
        WalkAhead ahead(walk);
        for (;;) {
            const WalkAhead::Take took = ahead.TakeWithin(folder, kWaitSlice);
            if (took == WalkAhead::Take::Done) break;
            if (took == WalkAhead::Take::Waiting) {
                host.Yield();
                if (host.Closing()) return false;
            } else if (!added()) {
                return false;
            }
        }
    } else {
        while (walk.Next(folder))
            if (!added()) return false;
    }
    walk.RecordListed(scan.listed);
    return true;
}

} // namespace

ScanOutcome RunScanningPhase(EngineHost& host, int nodeCount, ScanThreads threads) {
    FileSystem& fs = FileSystemService();
    const bool ahead =
        SafeOnAnyThread(fs) &&
        (threads == ScanThreads::Two || (threads == ScanThreads::FromCores && UsableCores() >= 2));
    Scan scan{fs, ahead, {}, {}, {}};
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
