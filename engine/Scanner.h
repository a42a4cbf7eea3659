#pragma once

#include "EngineHost.h"
#include "PhaseOutcome.h"

#include <string>

namespace quilder {

// Adds every regular file of the folder (and, with recurse, of every folder below it) whose class
// is ticked to the scan list of its exact size. Mount points are not entered, and a folder
// reached twice is listed once.
void ScanFolder(EngineHost& host, const std::string& path, bool recurse);

// Visits tree positions 1 to nodeCount (taken before the phase). A checked node with children
// stands for its own files; one without children for its whole subtree. No folder is listed
// twice in one phase, whatever paths reach it.
PhaseOutcome RunScanningPhase(EngineHost& host, int nodeCount);

} // namespace quilder
