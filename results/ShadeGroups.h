#pragma once

#include <cstddef>

namespace quilder {

class ResultSet;
class TaskProgress;

inline constexpr unsigned kShadeRgb = 0x0000FF; // blue
// The most rows shaded between two yields.
inline constexpr std::size_t kRowsPerShadingYield = 32768;

// Counts the groups of all eight lists into their tags, paints every second group blue counting
// from the bottom (the last group keeps the default colour), and writes the counts text of the
// visible list to status panel 2. Yields every kRowsPerShadingYield rows, the set counting as
// loading meanwhile, so that no command changes the lists under it; while a load runs, shades
// without yielding. False when the set went away or the window began closing at a yield: the
// lists are then left as they are.
bool ShadeGroups(ResultSet& results, TaskProgress& progress);

} // namespace quilder
