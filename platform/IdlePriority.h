#pragma once

namespace quilder {

// Puts the calling thread in the idle scheduling class and the idle I/O class: it then gets only
// the processor and disk time that every other thread leaves. For the work store's housekeeping,
// which nobody waits for. An unprivileged thread cannot come back from there, so whoever must
// wait for such a thread does the waited-for work itself instead. False when the system refused
// either.
bool RunAtIdlePriority();

} // namespace quilder
