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
    // The Stop command's request (F6), which the check before a delete and Verify Groups obey
    // and use up.
    virtual bool StopRequested() const = 0;
    virtual void SetStopRequested(bool stop) = 0;
    // Status panel 1.
    virtual QString StatusText() const = 0;
    virtual void SetStatusText(const QString& text) = 0;
};

} // namespace quilder
