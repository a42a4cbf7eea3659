#pragma once

#include <array>

namespace quilder {

// A control's place in its container, in twips.
struct TwipsRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};

// Widths of the columns Name, Path, Size, Type and "Midified Date" of one result list.
using ColumnWidths = std::array<float, 5>;

// What the main window's layout sets: both frames, the tree in fra(0), the eight lists in
// fra(1) and their column widths. Frames are in the client area's coordinates, the tree and the
// lists in their frame's.
struct WindowLayout {
    std::array<TwipsRect, 2> frames;
    TwipsRect tree;
    std::array<TwipsRect, 8> lists;
    std::array<ColumnWidths, 8> columns;
};

// What the layout reads and never sets: the client area below the menu bar, the toolbar docked
// at its top and the status bar docked at its bottom.
struct ClientArea {
    float width = 0;
    float height = 0;
    float toolbarTop = 0;
    float toolbarHeight = 0;
    float statusHeight = 0;
};

// Form_Resize: lays the window out for its client area. A size that would come out below zero
// (a minimised or tiny window) is refused and that control keeps its last size; the other rules
// go on. The Path column only ever widens, to take the width the other columns leave.
void FormResize(const ClientArea& client, WindowLayout& layout);

struct TwipsSize {
    float width = 0;
    float height = 0;
};

// The smallest client area in which FormResize gives the tree `treeHeight` and the frame
// fra(1) `resultWidth`, with the toolbar and the status bar as `bars` has them.
TwipsSize MinimumClientSize(const ClientArea& bars, const WindowLayout& layout, float treeHeight,
                            float resultWidth);

} // namespace quilder
