#pragma once

#include "EngineHost.h"
#include "PhaseOutcome.h"

namespace quilder {

// Deletes every scan list that names fewer than two files, class by class from Tiny to Huge,
// whether or not the class is ticked. Yields and checks for a stop before each class.
PhaseOutcome RunFilteringPhase(EngineHost& host);

} // namespace quilder
