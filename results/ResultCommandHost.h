#pragma once

#include "DesktopKit.h"
#include "TaskHost.h"

namespace quilder {

class EngineHost;

// What only the result-file commands need of the window, beyond a task's.
class ResultCommandHost : public virtual TaskHost {
public:
    // The owner of the file dialogs.
    virtual WindowHandle WindowId() = 0;
    // The loader's host: it reads the ticked classes as a find job does.
    virtual EngineHost& Engine() = 0;

    // New Job: ticks the "All Files" box (all seven classes become ticked and locked) and
    // refills the folder tree with the drives, nothing ticked.
    virtual void TickAllFilesBox() = 0;
    virtual void RefillFolderTree() = 0;

    // Around the load of an opened result file and its shading: the window may measure how
    // long its event loop waits meanwhile.
    virtual void OpenedFileLoadBegins() {}
    virtual void OpenedFileLoadEnded() {}
};

} // namespace quilder
