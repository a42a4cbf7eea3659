#pragma once

#include "TaskProgress.h"

namespace quilder {

class DesktopKit;
class Prompt;
class ResultSet;

// What every command that works on the result needs of the window: the result lists, the
// message boxes and the desktop, besides a task's progress. The window implements it once;
// tests and the benchmark provide their own.
class TaskHost : public virtual TaskProgress {
public:
    virtual ResultSet& Results() = 0;
    virtual Prompt& Prompts() = 0;
    virtual DesktopKit& Desktop() = 0;
};

} // namespace quilder
