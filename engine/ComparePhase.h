#pragma once

#include "EngineHost.h"
#include "Fingerprint.h"
#include "PhaseOutcome.h"

#include <string>

namespace quilder {

// Groups the identical files of one scan list of a class compared by content: one group file
// per group, named list name + "_" + the position (from 1) of its first member, members in list
// order. Yields after each position, with every group file written so far complete on disk.
// Up to keepSamplesBytes of samples stay in memory, so that most matches are confirmed without
// reading a file twice. A file whose size is not the list's name when it is read matches
// nothing. `hash` only picks which pairs are compared (tests make every file collide).
inline constexpr std::size_t kKeepSamplesBytes = 8u << 20;
void GroupScanList(EngineHost& host, const std::string& folder, const std::string& listName,
                   int classOrder, std::size_t keepSamplesBytes = kKeepSamplesBytes,
                   SampleHash hash = HashSamples);

// Groups the scan lists of Large down to Tiny, then turns the zero-byte list and the lists of
// Very Large and Huge files into group files as they are. A stop takes effect before a list.
PhaseOutcome RunComparingPhase(EngineHost& host);

// The groups of the job that no load took (their class was not ticked when the job loaded) are
// written as group files, behind the job, so that the store keeps them until the next job.
void WriteUntakenGroups();

} // namespace quilder
