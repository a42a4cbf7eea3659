#pragma once

#include "EngineHost.h"
#include "PhaseOutcome.h"

namespace quilder {

// Visits tree positions 1 to nodeCount (taken before the phase). A checked node with children
// stands for its own files; one without children for its whole subtree. No folder is listed
// twice in one phase, whatever paths reach it.
PhaseOutcome RunScanningPhase(EngineHost& host, int nodeCount);

} // namespace quilder
