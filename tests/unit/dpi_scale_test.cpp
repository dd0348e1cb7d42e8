// Design pixels to device pixels, and the main window's size at a DPI.
#include "base/dpi_scale.h"

#include <gtest/gtest.h>

namespace quenzel {
namespace {

TEST(DpiScale, RoundsToTheNearestDevicePixel)
{
    struct Row {
        int design, dpi, device;
    };
    constexpr Row rows[] = {
        {792, 96, 792},  {792, 120, 990}, {792, 144, 1188}, {792, 192, 1584},
        {1, 120, 1},     {2, 120, 3},     {3, 144, 5},      {5, 120, 6}, // 1.25, 2.5, 4.5 and 6.25
        {7, 168, 12},    {-3, 144, -5},   {-2, 120, -3},    {0, 192, 0}, // 12.25, halves away from zero
        {115, 144, 173}, {31, 144, 47},   {670, 120, 838},  {16, 192, 32},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ScaleToDpi(row.design, row.dpi), row.device) << row.design << " at " << row.dpi;
}

// Edges are scaled, not sizes: controls that touch at 96 dpi touch at 120.
TEST(DpiScale, RectanglesKeepTheirNeighboursEdges)
{
    const DesignRect left = ScaleRectToDpi({1, 0, 1, 3}, 120);  // right edge 2 -> 3 (2.5)
    const DesignRect right = ScaleRectToDpi({2, 0, 1, 3}, 120); // left edge 2 -> 3
    EXPECT_EQ(left.x + left.width, right.x);
    EXPECT_EQ(left.x, 1);
    EXPECT_EQ(left.width, 2);
    EXPECT_EQ(left.height, 4);
    const DesignRect strip = ScaleRectToDpi({115, 414, 670, 31}, 144);
    EXPECT_EQ(strip.x, 173);
    EXPECT_EQ(strip.y, 621);
    EXPECT_EQ(strip.width, 1178 - 173);
    EXPECT_EQ(strip.height, 668 - 621);
}

// A window takes the smallest drawing not smaller than its scale, so a
// picture is shrunk at most from the next drawing, never enlarged from 96 dpi.
TEST(DpiScale, PicturesComeFromTheNextDrawingUp)
{
    struct Row {
        int dpi, percent, bitmapId;
    };
    constexpr Row rows[] = {
        {72, 100, 1003},   {96, 100, 1003},   {97, 150, 11003},  {120, 150, 11003},
        {144, 150, 11003}, {168, 200, 21003}, {192, 200, 21003}, {288, 200, 21003},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ArtScaleForDpi(row.dpi), row.percent) << row.dpi;
        EXPECT_EQ(BitmapIdAtScale(1003, ArtScaleForDpi(row.dpi)), row.bitmapId) << row.dpi;
    }
}

} // namespace
} // namespace quenzel
