#pragma once

#include "DesktopKit.h"

namespace quilder {

class EngineHost;
class Prompt;

// What the result-file commands need of the window.
class ResultCommandHost {
public:
    virtual ~ResultCommandHost() = default;

    virtual Prompt& Prompts() = 0;
    virtual DesktopKit& Desktop() = 0;
    // The owner of the file dialogs.
    virtual WindowHandle WindowId() = 0;
    // The loader's host; also writes status panel 1.
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
