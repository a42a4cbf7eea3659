#include "IdlePriority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quilder {

namespace {

// From linux/ioprio.h, which glibc does not wrap.
constexpr int kIoprioWhoProcess = 1; // with 0: the calling thread
constexpr int kIoprioClassIdle = 3;
constexpr int kIoprioClassShift = 13;

} // namespace

bool RunAtIdlePriority() {
    const sched_param none{};
    const bool scheduled = pthread_setschedparam(pthread_self(), SCHED_IDLE, &none) == 0;
    const bool io =
        syscall(SYS_ioprio_set, kIoprioWhoProcess, 0, kIoprioClassIdle << kIoprioClassShift) == 0;
    return scheduled && io;
}

} // namespace quilder
