#pragma once

#include <QString>

namespace quilder {

class DesktopKit;
class Prompt;
class ResultSet;

// What the file commands need of the window. The window implements it; tests and the benchmark
// provide their own.
class ActionHost {
public:
    virtual ~ActionHost() = default;

    virtual ResultSet& Results() = 0;
    virtual Prompt& Prompts() = 0;
    virtual DesktopKit& Desktop() = 0;

    // Lets the window handle its pending events once. False when the window is closing: the
    // caller then drops its work and returns without touching the result set again.
    virtual bool Yield() = 0;
    // Status panel 1.
    virtual QString StatusText() const = 0;
    virtual void SetStatusText(const QString& text) = 0;
    // Stop Current Job (F6), for the commands that run like a job: they end at their next check.
    virtual bool StopRequested() const { return false; }
    virtual void ClearStopRequest() {}
};

} // namespace quilder
