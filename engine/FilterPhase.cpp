#include "FilterPhase.h"

#include "FileSystem.h"
#include "LineFile.h"
#include "SizeClass.h"
#include "WorkStore.h"

#include <string>
#include <vector>

namespace quilder {

namespace {
constexpr std::size_t kListsPerYield = 128;
} // namespace

PhaseOutcome RunFilteringPhase(EngineHost& host) {
    FileSystem& fs = FileSystemService();
    LineFile& lines = LineFileService();
    std::vector<std::string> names;
    for (int order = 0; order < kClassCount; ++order) {
        host.Yield();
        if (host.StopRequested() || host.Closing()) {
            host.SetAnimationInterval(0);
            return {PhaseVerdict::Stopped, lines.TakeFailure()};
        }
        const std::string_view name = kSizeClasses[order].filteringName;
        host.SetStatusText(QStringLiteral("Filtering ") +
                           QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
        const std::string& folder = ScanFolderPaths[order];
        const int handle = StoreFolderHandle(folder);
        if (handle < 0 || !fs.ListFileNamesAt(handle, names)) continue;
        for (std::size_t i = 0; i < names.size(); ++i) {
            // A list that cannot be counted (-1) goes too: it could not be compared anyway.
            if (lines.CountLines(JoinPath(folder, names[i])) < 2) fs.DeleteFileAt(handle, names[i]);
            // A class of many sizes takes long: the window stays responsive meanwhile. Only the
            // check for a stop waits for the next class.
            if (i % kListsPerYield == kListsPerYield - 1) host.Yield();
        }
    }
    return {PhaseVerdict::Completed, lines.TakeFailure()};
}

} // namespace quilder
