#pragma once

#include "SizeClass.h"

#include <QElapsedTimer>
#include <QString>

namespace quilder {

// What the engine needs of the window. The window implements it; tests and the headless
// benchmark provide their own.
class EngineHost {
public:
    virtual ~EngineHost() = default;

    // Lets the window handle its pending events (timers, commands) once.
    virtual void Yield() = 0;
    // Status panel 1.
    virtual void SetStatusText(const QString& text) = 0;
    // Whether class box 1 (Huge) ... 7 (Tiny) is ticked. Read anew for every file.
    virtual bool ClassBoxTicked(int box) const = 0;
    // Tag of class box 1 ... 7: its group folder relative to the program folder.
    virtual QString ClassBoxTag(int box) const {
        const std::string_view tag = kSizeClasses[OrderOfBox(box)].groupFolderTag;
        return QString::fromLatin1(tag.data(), static_cast<qsizetype>(tag.size()));
    }

    // The folder tree, positions 1 to NodeCount in the order the tree added its nodes. A
    // position past the current count (a command run inside a yield may refill the tree) reads
    // as an unchecked node without children.
    virtual int NodeCount() const = 0;
    virtual bool NodeChecked(int position) const = 0;
    virtual int NodeChildCount(int position) const = 0;
    virtual QString NodeKey(int position) const = 0;

    virtual bool StopRequested() const = 0;
    // The window is closing: a job ends at its next yield, inside a node or a list too.
    virtual bool Closing() const { return false; }
    // The animation timer of status panel 1: 0 stops it, any other value (re)starts it.
    virtual void SetAnimationInterval(int milliseconds) = 0;
};

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

enum class PhaseVerdict { Completed, Stopped };

} // namespace quilder
