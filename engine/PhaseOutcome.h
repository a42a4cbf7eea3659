#pragma once

#include <QString>
#include <optional>
#include <string>

namespace quilder {

enum class PhaseVerdict { Completed, Stopped };

// A work-store file or folder that could not be written, with the system's reason. The job goes
// on (a lost line costs at most a missed duplicate) but must not be reported as complete.
struct StoreFailure {
    std::string path;
    QString reason;
};

// StoreFailure from an errno value.
StoreFailure StoreFailureOf(std::string path, int error);

// How a phase ended, and the first store write in it that failed.
struct PhaseOutcome {
    PhaseVerdict verdict = PhaseVerdict::Completed;
    std::optional<StoreFailure> failure;
};

} // namespace quilder
