#pragma once

#include "SizeClass.h"
#include "TaskProgress.h"

#include <QString>

namespace quilder {

// What the engine needs of the window beyond a task's progress: the ticked size classes and the
// folder tree. The window implements it; tests and the headless benchmark provide their own.
class EngineHost : public virtual TaskProgress {
public:
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
};

} // namespace quilder
