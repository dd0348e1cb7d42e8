// Snapping the dragged main window to the screen edges.
#include "app/snap.h"

#include <gtest/gtest.h>

namespace {

using quenzel::SnapRect;
using quenzel::SnapRectToEdges;

constexpr SnapRect WorkArea{0, 0, 1024, 738}; // a bottom taskbar of 30 pixels
constexpr int Width = 300;
constexpr int Height = 200;

SnapRect At(int left, int top)
{
    return SnapRect{left, top, left + Width, top + Height};
}

void ExpectRect(const SnapRect& r, int left, int top, int line)
{
    SCOPED_TRACE(line);
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, left + Width);
    EXPECT_EQ(r.bottom, top + Height);
}

TEST(Snap, BottomEdgeSnapsOnlyWhileMovingDown)
{
    SnapRect kept = At(400, 500);
    SnapRect r = At(400, 510); // bottom 710: not yet within 20 of 738
    SnapRectToEdges(r, WorkArea, kept);
    ExpectRect(r, 400, 510, __LINE__);
    r = At(400, 519); // bottom 719 passes 718
    SnapRectToEdges(r, WorkArea, kept);
    ExpectRect(r, 400, 538, __LINE__);
    // Dragging back up from the pinned place does not snap again.
    r = At(400, 530);
    SnapRectToEdges(r, WorkArea, kept);
    ExpectRect(r, 400, 530, __LINE__);
    EXPECT_EQ(kept.top, 530);
}

TEST(Snap, TopAndLeftSnapToZeroEvenUnderATopTaskbar)
{
    const SnapRect topTaskbar{0, 30, 1024, 768};
    SnapRect kept = At(300, 100);
    SnapRect r = At(300, 19);
    SnapRectToEdges(r, topTaskbar, kept);
    ExpectRect(r, 300, 0, __LINE__);

    kept = At(100, 300);
    r = At(15, 300);
    SnapRectToEdges(r, WorkArea, kept);
    ExpectRect(r, 0, 300, __LINE__);
    // Exactly 20 is not closer than the snap distance.
    kept = At(100, 300);
    r = At(20, 300);
    SnapRectToEdges(r, WorkArea, kept);
    ExpectRect(r, 20, 300, __LINE__);
}

TEST(Snap, RightEdgeAndCornerSnapTogether)
{
    SnapRect kept = At(600, 400);
    SnapRect r = At(710, 530); // right 1010 > 1004, bottom 730 > 718
    SnapRectToEdges(r, WorkArea, kept);
    ExpectRect(r, 1024 - Width, 738 - Height, __LINE__);
}

TEST(Snap, FirstMoveComparesWithTheZeroRectangle)
{
    // At start the kept rectangle is all 0: a window near the top left is
    // not moving "up" or "left" of it, so nothing snaps there ...
    SnapRect kept{};
    SnapRect r = At(10, 10);
    SnapRectToEdges(r, WorkArea, kept);
    ExpectRect(r, 10, 10, __LINE__);
    // ... while negative coordinates are left and above of it.
    kept = SnapRect{};
    r = At(-5, -5);
    SnapRectToEdges(r, WorkArea, kept);
    ExpectRect(r, 0, 0, __LINE__);
}

} // namespace
