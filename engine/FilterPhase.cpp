#include "FilterPhase.h"

#include "FileSystem.h"
#include "LineFile.h"
#include "PathText.h"
#include "ScanLists.h"
#include "SizeClass.h"
#include "WorkStore.h"

#include <string>
#include <vector>

namespace quilder {

namespace {

// A deletion may take a millisecond on a busy journalled disk.
constexpr std::size_t kListsPerYield = 32;

// Whether a list file has fewer than two lines. What this job's scan knows decides without
// reading the file; a file it knows nothing of (not named as the scanner names lists, or written
// by someone else) is counted. One that cannot be counted goes too: it could not be compared.
bool HasOneLineAtMost(LineFile& lines, const ScanLists& lists, int order, const std::string& folder,
                      const std::string& name) {
    if (const auto known = lists.Lines(order, name)) {
        if (known->lines >= 2) return false;
        if (known->exact) return true;
    }
    return lines.CountLines(JoinPath(folder, name)) < 2;
}

} // namespace

PhaseOutcome RunFilteringPhase(EngineHost& host) {
    FileSystem& fs = FileSystemService();
    LineFile& lines = LineFileService();
    ScanLists& lists = ScanListsService();
    std::vector<std::string> names;
    for (int order = 0; order < kClassCount; ++order) {
        host.Yield();
        if (host.StopRequested() || host.Closing()) {
            host.SetAnimationInterval(0);
            // The classes not filtered keep every list, unless nobody is left to wait for them.
            if (!host.Closing()) lists.WriteAllFrom(order);
            return {PhaseVerdict::Stopped, lists.TakeFailure()};
        }
        const std::string_view name = kSizeClasses[order].filteringName;
        host.SetStatusText(QStringLiteral("Filtering ") +
                           QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
        const std::string& folder = ScanFolderPaths[order];
        const int handle = StoreFolderHandle(folder);
        if (handle >= 0 && fs.ListFileNamesAt(handle, names)) {
            for (std::size_t i = 0; i < names.size(); ++i) {
                if (HasOneLineAtMost(lines, lists, order, folder, names[i]))
                    fs.DeleteFileAt(handle, names[i]);
                // A class of many sizes takes long: the window stays responsive meanwhile. Only
                // the check for a stop waits for the next class.
                if (i % kListsPerYield == kListsPerYield - 1) host.Yield();
            }
        }
        // Its single lines were never written; the comparison, or the copying of the lists not
        // compared, takes its other lists from memory.
        lists.DropClass(order, true);
    }
    return {PhaseVerdict::Completed, lists.TakeFailure()};
}

} // namespace quilder
