#include "UsableCores.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sched.h>
#include <thread>
#include <unistd.h>

namespace quilder {

namespace {

// Threads that are running or waiting for a core, the whole system over (the caller among
// them); -1 when the system does not tell.
int RunnableNow() {
    std::FILE* f = std::fopen("/proc/loadavg", "re");
    if (!f) return -1;
    double ignored[3];
    int runnable = -1, threads = 0;
    if (std::fscanf(f, "%lf %lf %lf %d/%d", &ignored[0], &ignored[1], &ignored[2], &runnable,
                    &threads) != 5)
        runnable = -1;
    std::fclose(f);
    return runnable;
}

// A program that keeps a core busy is runnable at every look; one that only woke up for a
// moment is not: the fewest over a few looks counts.
constexpr int kLooks = 4;
constexpr std::chrono::microseconds kBetweenLooks{1000};

} // namespace

unsigned UsableCores() {
    cpu_set_t cores;
    CPU_ZERO(&cores);
    const int allowed = sched_getaffinity(0, sizeof cores, &cores) == 0
                            ? CPU_COUNT(&cores)
                            : static_cast<int>(std::thread::hardware_concurrency());
    int fewest = -1;
    for (int look = 0; look < kLooks; ++look) {
        if (look > 0) std::this_thread::sleep_for(kBetweenLooks);
        const int runnable = RunnableNow();
        if (runnable < 0) break;
        fewest = fewest < 0 ? runnable : std::min(fewest, runnable);
    }
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    int usable = std::max(allowed, 1);
    if (fewest > 0 && online > 0) {
        const int busy = fewest - 1; // not this thread
        usable = std::min(usable, static_cast<int>(online) - busy);
    }
    return static_cast<unsigned>(std::max(usable, 1));
}

} // namespace quilder
