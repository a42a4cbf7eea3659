#pragma once

#include "EngineHost.h"
#include "PhaseOutcome.h"

namespace quilder {

// Files and folders a scan left out because a line of a list file cannot hold their names (a
// line break or a tab in them). A folder is left out with everything in it.
struct LeftOutNames {
    long long files = 0;
    long long folders = 0;
};

struct ScanOutcome : PhaseOutcome {
    LeftOutNames leftOut;
};

// Visits tree positions 1 to nodeCount (taken before the phase). A checked node with children
// stands for its own files; one without children for its whole subtree. No folder is listed
// twice in one phase, whatever paths reach it.
ScanOutcome RunScanningPhase(EngineHost& host, int nodeCount);

} // namespace quilder
