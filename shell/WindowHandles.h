#pragma once

#include "DesktopKit.h"

class QWidget;

namespace quilder {

// Handles for the program's top-level windows, as the desktop kit hands them out: each window
// gets a number greater than 1 the first time it is asked for, and keeps it while it lives.
WindowHandle HandleOfWindow(QWidget* window);
// The window of a handle, or null when there is none (any more).
QWidget* WindowOfHandle(WindowHandle handle);

} // namespace quilder
