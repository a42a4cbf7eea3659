#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quilder {

// Measures how long the window goes without running its event loop during a job: the longest
// interval between two turns of the loop, per phase. A phase is named by the first word of the
// status text ("Scanning", "Filtering", "Comparing", "Loading"); an interval counts to every
// phase that was current during it. The clock is a seam: tests count work instead of time.
class GapProbe {
public:
    using Clock = std::function<std::int64_t()>; // nanoseconds, or any unit that only grows
    explicit GapProbe(Clock clock = {});

    // A job begins: earlier figures are forgotten, and the first interval starts now.
    void Start();
    void SetStatus(const QString& text);
    void Turn();
    // The job has returned to the event loop: its last interval ends now.
    void Finish();

    struct Phase {
        QString name;
        std::int64_t longest = 0;
        std::int64_t turns = 0;
        QString endedAt; // the status text when the longest interval ended
    };
    const std::vector<Phase>& Phases() const { return phases_; }
    std::int64_t Longest(const QString& phase) const;

    // Appends one line per phase ("name<TAB>longest ms<TAB>turns<TAB>status text where the
    // longest ended") and a blank line; false when the file cannot be written.
    bool AppendTo(const QString& file) const;

    // The probe the environment asks for (QUILDER_GAP_LOG=file), or none.
    static QString LogFileFromEnvironment();

private:
    std::size_t IndexOf(const QString& name);
    void EndInterval();

    Clock clock_;
    std::vector<Phase> phases_;
    std::vector<std::size_t> during_; // phases current since the last turn
    std::size_t current_ = SIZE_MAX;
    QString status_;
    std::int64_t lastTurn_ = 0;
    bool running_ = false;
};

} // namespace quilder
