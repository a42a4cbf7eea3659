#include "UsableCores.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
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

} // namespace

int OwnRunnableThreads() {
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks) return 1;
    int runnable = 0;
    while (const dirent* task = readdir(tasks)) {
        if (task->d_name[0] == '.') continue;
        char path[300];
        std::snprintf(path, sizeof path, "/proc/self/task/%s/stat", task->d_name);
        std::FILE* f = std::fopen(path, "re");
        if (!f) continue;
        char line[512];
        const bool read = std::fgets(line, sizeof line, f) != nullptr;
        std::fclose(f);
        // The state follows the name, which is in parentheses and may hold anything.
        const char* close = read ? std::strrchr(line, ')') : nullptr;
        if (close && close[1] == ' ' && close[2] == 'R') ++runnable;
    }
    closedir(tasks);
    return std::max(runnable, 1);
}

namespace {

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
        const int others = std::max(runnable - OwnRunnableThreads(), 0);
        fewest = fewest < 0 ? others : std::min(fewest, others);
    }
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    int usable = std::max(allowed, 1);
    if (fewest > 0 && online > 0) usable = std::min(usable, static_cast<int>(online) - fewest);
    return static_cast<unsigned>(std::max(usable, 1));
}

} // namespace quilder
