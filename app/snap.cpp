#include "app/snap.h"

namespace quenzel {

void SnapRectToEdges(SnapRect& r, const SnapRect& work, SnapRect& kept)
{
    const std::int32_t width = r.right - r.left;
    const std::int32_t height = r.bottom - r.top;
    // The top edge snaps to 0 even when a taskbar holds the top of the screen.
    if (r.top < SnapDistance && r.top < kept.top) {
        r.top = 0;
        r.bottom = height;
    } else if (r.bottom > work.bottom - SnapDistance && r.bottom > kept.bottom) {
        r.bottom = work.bottom;
        r.top = work.bottom - height;
    }
    if (r.left < SnapDistance && r.left < kept.left) {
        r.left = 0;
        r.right = width;
    } else if (r.right > work.right - SnapDistance && r.right > kept.right) {
        r.right = work.right;
        r.left = work.right - width;
    }
    kept = r;
}

} // namespace quenzel
