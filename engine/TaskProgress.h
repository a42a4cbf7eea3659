#pragma once

#include <QString>

namespace quilder {

// What every long task needs of the window while it runs: its yields, status panel 1, the Stop
// command's request and the animation of the status dots. The window implements it once; tests
// and the headless benchmark provide their own.
class TaskProgress {
public:
    virtual ~TaskProgress() = default;

    // Lets the window handle its pending events (timers, commands) once.
    virtual void Yield() = 0;
    // The window is closing: a task ends at its next yield, inside a node or a list too.
    virtual bool Closing() const { return false; }
    // Yields, then tells whether the window is still open. False: the caller drops its work and
    // returns without touching the result set again.
    bool YieldStillOpen() {
        Yield();
        return !Closing();
    }

    // Status panel 1.
    virtual QString StatusText() const = 0;
    virtual void SetStatusText(const QString& text) = 0;

    // The Stop command's request (F6). A find job obeys it at its check points; the check before
    // a delete and Verify Groups obey and use it up.
    virtual bool StopRequested() const = 0;
    virtual void SetStopRequested(bool stop) = 0;

    // The animation timer of status panel 1: 0 stops it, any other value (re)starts it.
    virtual void SetAnimationInterval(int milliseconds) = 0;
};

} // namespace quilder
