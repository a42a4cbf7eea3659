#pragma once

#include "EngineHost.h"

namespace quilder {

// Deletes every scan list that names fewer than two files, class by class from Tiny to Huge,
// whether or not the class is ticked. Yields and checks for a stop before each class.
PhaseVerdict RunFilteringPhase(EngineHost& host);

} // namespace quilder
