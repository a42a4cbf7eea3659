#pragma once

namespace quilder {

// The cores this process may use right now: those it may run on (its affinity: taskset, a
// container's share) less those other programs keep busy at this moment; at least 1. Takes a
// few milliseconds: call it once per phase.
unsigned UsableCores();

} // namespace quilder
