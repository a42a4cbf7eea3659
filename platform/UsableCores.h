#pragma once

namespace quilder {

// The cores this process may use right now: those it may run on (its affinity: taskset, a
// container's share) less those other programs keep busy at this moment; at least 1. Takes a
// few milliseconds: call it once per phase.
unsigned UsableCores();
// This process's threads that are running or waiting for a core, the caller among them: they
// are not another program's load (the store's idle-priority threads among them, say).
int OwnRunnableThreads();

} // namespace quilder
