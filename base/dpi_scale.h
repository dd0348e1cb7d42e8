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

// The pictures are drawn for 100 %, 150 % and 200 %. A window takes the
// smallest drawing not smaller than its scale, so a picture is only ever
// shrunk a little, never enlarged from 96 dpi (above 200 % the 200 %
// drawing is the best there is).
constexpr int ArtScaleForDpi(int dpi)
{
    if (dpi <= DesignDpi)
        return 100;
    if (dpi <= DesignDpi * 3 / 2)
        return 150;
    return 200;
}

// A bitmap's resource id at an art scale: the 100 % id, plus this step for
// 150 % and twice it for 200 %.
inline constexpr int BitmapScaleIdStep = 10000;
constexpr int BitmapIdAtScale(int bitmapId, int percent)
{
    return percent >= 200 ? bitmapId + 2 * BitmapScaleIdStep : percent >= 150 ? bitmapId + BitmapScaleIdStep : bitmapId;
}

} // namespace quenzel
