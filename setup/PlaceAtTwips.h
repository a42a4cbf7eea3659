#pragma once

#include "Twips.h"

#include <QWidget>
#include <algorithm>

namespace quilder {

// Places a control at its design rectangle (twips, in its container).
inline void PlaceAtTwips(QWidget& widget, int left, int top, int width, int height) {
    const int dpi = widget.logicalDpiX();
    widget.setGeometry(TwipsAsPixels(left, dpi), TwipsAsPixels(top, dpi), TwipsAsPixels(width, dpi),
                       TwipsAsPixels(height, dpi));
}

// The same for a caption: text rendered in a substitute for the design font can need more room,
// so the control never gets less than its own size hint and nothing is clipped.
inline void PlaceCaptionAtTwips(QWidget& widget, int left, int top, int width, int height) {
    PlaceAtTwips(widget, left, top, width, height);
    const QSize hint = widget.sizeHint();
    widget.resize(std::max(widget.width(), hint.width()), std::max(widget.height(), hint.height()));
}

} // namespace quilder
