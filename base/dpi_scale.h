// Design pixels (the layout drawn at 96 dpi) to device pixels for a DPI.
// Portable: no windows.h.
#pragma once

namespace quenzel {

inline constexpr int DesignDpi = 96;

// `design` pixels at `dpi`, rounded half away from zero like MulDiv, so a
// control's edge lands on the nearest device pixel and 96 dpi keeps every
// value as it is.
int ScaleToDpi(int design, int dpi);

struct DesignRect {
    int x, y, width, height;
};

// The rectangle's edges scaled each on its own, so neighbouring controls
// that touch at 96 dpi still touch (the size is the difference of edges).
DesignRect ScaleRectToDpi(const DesignRect& design, int dpi);

} // namespace quenzel
