#pragma once

#include <QElapsedTimer>

namespace quilder {

// Paces a host's yields. Running the event loop costs system calls even when nothing waits, and
// the engine yields per file of a list: a yield sooner than a few milliseconds after the last
// one may return at once, and the window still answers within a frame.
class YieldPacer {
public:
    bool Due() const { return !since_.isValid() || since_.nsecsElapsed() >= kGapNs; }
    void Ran() { since_.start(); }
    // The next yield runs, however soon it comes.
    void Reset() { since_.invalidate(); }

private:
    static constexpr qint64 kGapNs = 4'000'000;
    QElapsedTimer since_;
};

} // namespace quilder
