// Where a ButtonEx puts its image and caption: plain arithmetic, no windows.
#pragma once

#include <cstdint>

namespace quenzel {

struct LayoutPoint {
    int x = 0;
    int y = 0;
};

struct ButtonLayout {
    LayoutPoint image; // top-left of the image (meaningless without one)
    LayoutPoint text;  // top-left of the caption
};

struct ButtonLayoutInput {
    std::uint32_t style = 0; // the button's style word
    int width = 0;           // client size
    int height = 0;
    bool hasImage = false;
    int imageWidth = 0;
    int imageHeight = 0;
    bool hasCaption = false;
    int textWidth = 0; // measured caption size (0 without a caption)
    int textHeight = 0;
    int dpi = 96; // the gaps and margins below are design pixels, scaled to it
};

// Gap between image and caption, and the margins of the stacked layouts,
// in design pixels.
inline constexpr int ImageCaptionGap = 10;
inline constexpr int StackedCaptionMargin = 8;
inline constexpr int StackedImageTopMargin = 10;
inline constexpr int StackedImageBottomMargin = 8;

// Positions before the content offset of a sunken look is added.
ButtonLayout ComputeButtonLayout(const ButtonLayoutInput& in);

} // namespace quenzel
