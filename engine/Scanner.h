#pragma once

#include "EngineHost.h"
#include "PhaseOutcome.h"

#include <string>

namespace quilder {

// Files and folders a scan left out because a line of a list file cannot hold their names (a
// line break or a tab in them). A folder is left out with everything in it.
struct LeftOutNames {
    long long files = 0;
    long long folders = 0;
};

// Folders that could not be opened or read to their end (no permission, or another error):
// nothing in them was searched. The first one, with the system's reason, for the notice.
struct UnreadableFolders {
    long long count = 0;
    std::string first;
    int firstError = 0; // errno, 0 when unknown
};

struct ScanOutcome : PhaseOutcome {
    LeftOutNames leftOut;
    UnreadableFolders unreadable;
};

// Who reads the folders of a whole subtree: a thread of its own a little ahead of the lists
// when another core is free (and the file-system service may be called from any thread), or
// the phase's own thread. The lists come out the same either way.
enum class ScanThreads { FromCores, One, Two };

// Visits tree positions 1 to nodeCount (taken before the phase). A checked node with children
// stands for its own files; one without children for its whole subtree. No folder is listed
// twice in one phase, whatever paths reach it.
ScanOutcome RunScanningPhase(EngineHost& host, int nodeCount,
                             ScanThreads threads = ScanThreads::FromCores);

} // namespace quilder
