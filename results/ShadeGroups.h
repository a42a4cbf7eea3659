#pragma once

namespace quilder {

class ResultSet;

inline constexpr unsigned kShadeRgb = 0x0000FF; // blue

// Counts the groups of all eight lists into their tags, paints every second group blue counting
// from the bottom (the last group keeps the default colour), and writes the counts text of the
// visible list to status panel 2.
void ShadeGroups(ResultSet& results);

} // namespace quilder
