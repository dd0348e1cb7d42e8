// Snapping the main window to the screen edges while it is dragged.
// Portable: no windows.h.
#pragma once

#include <cstdint>

namespace quenzel {

struct SnapRect {
    std::int32_t left, top, right, bottom;
};

inline constexpr std::int32_t SnapDistance = 20;

// Pulls the proposed rectangle to an edge it moves towards: the top and
// left edges snap to coordinate 0, the bottom and right to the work area's.
// `kept` is the rectangle returned last time; it becomes the result.
void SnapRectToEdges(SnapRect& proposed, const SnapRect& workArea, SnapRect& kept);

} // namespace quenzel
