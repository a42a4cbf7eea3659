#include "FilterPhase.h"

#include "FileSystem.h"
#include "LineFile.h"
#include "SizeClass.h"
#include "WorkStore.h"

#include <string>
#include <vector>

namespace quilder {

PhaseVerdict RunFilteringPhase(EngineHost& host) {
    FileSystem& fs = FileSystemService();
    LineFile& lines = LineFileService();
    std::vector<std::string> names;
    for (int order = 0; order < kClassCount; ++order) {
        host.Yield();
        if (host.StopRequested()) {
            host.SetAnimationInterval(0);
            return PhaseVerdict::Stopped;
        }
        const std::string_view name = kSizeClasses[order].filteringName;
        host.SetStatusText(QStringLiteral("Filtering ") +
                           QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
        const std::string& folder = ScanFolderPaths[order];
        if (!fs.ListFileNames(folder, names)) continue;
        for (const std::string& list : names) {
            const std::string path = JoinPath(folder, list);
            // A list that cannot be counted (-1) goes too: it could not be compared anyway.
            if (lines.CountLines(path) < 2) fs.DeleteFile(path);
        }
    }
    return PhaseVerdict::Completed;
}

} // namespace quilder
