#include "FilterPhase.h"

#include "FileSystem.h"
#include "LineFile.h"
#include "SizeClass.h"
#include "WorkStore.h"

#include <string>
#include <vector>

namespace quilder {

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
        for (const std::string& list : names) {
            // A list that cannot be counted (-1) goes too: it could not be compared anyway.
            if (lines.CountLines(JoinPath(folder, list)) < 2) fs.DeleteFileAt(handle, list);
        }
    }
    return {PhaseVerdict::Completed, lines.TakeFailure()};
}

} // namespace quilder
