#pragma once

namespace quilder {

// Layout is designed in twips, 1440 to the inch.
constexpr int TwipsAsPixels(int twips, int logicalDpi) {
    return (twips * logicalDpi + 720) / 1440;
}
constexpr double PixelsAsTwips(int pixels, int logicalDpi) {
    return pixels * 1440.0 / logicalDpi;
}

} // namespace quilder
