#include "controls/button_layout.h"

#include "base/dpi_scale.h"

namespace quenzel {

namespace {
// Style bits the layout reads (the same numbers as the control's BXS_* values,
// repeated here because this file builds without windows.h).
constexpr std::uint32_t ImageRightBit = 0x0001;
constexpr std::uint32_t ImageBottomBit = 0x0004;
constexpr std::uint32_t ImageTopBit = 0x0008;
constexpr std::uint32_t ImageOnlyBits = 0x1400;

LayoutPoint Centred(int outerWidth, int outerHeight, int innerWidth, int innerHeight)
{
    return {(outerWidth - innerWidth) / 2, (outerHeight - innerHeight) / 2};
}
} // namespace

ButtonLayout ComputeButtonLayout(const ButtonLayoutInput& in)
{
    ButtonLayout out;
    const int w = in.width;
    const int h = in.height;
    const int tw = in.textWidth;
    const int th = in.textHeight;
    if (!in.hasImage) {
        out.text = Centred(w, h, tw, th);
        return out;
    }
    const int bw = in.imageWidth;
    const int bh = in.imageHeight;
    const int gap = ScaleToDpi(ImageCaptionGap, in.dpi);
    const int captionMargin = ScaleToDpi(StackedCaptionMargin, in.dpi);
    const int group = in.hasCaption ? bw + tw + gap : bw;
    if (in.style & ImageRightBit) {
        out.text = {(w - group) / 2, (h - th) / 2};
        out.image = {(w - group) / 2 + tw + gap, (h - bh) / 2};
    } else if (in.style & ImageBottomBit) {
        out.text = {(w - tw) / 2, captionMargin};
        out.image = {(w - bw) / 2, h - bh - ScaleToDpi(StackedImageBottomMargin, in.dpi)};
    } else if (in.style & ImageTopBit) {
        out.text = {(w - tw) / 2, h - th - captionMargin};
        out.image = {(w - bw) / 2, ScaleToDpi(StackedImageTopMargin, in.dpi)};
    } else {
        out.image = {(w - group) / 2, (h - bh) / 2};
        out.text = {(w - group) / 2 + bw + gap, (h - th) / 2};
    }
    if (in.style & ImageOnlyBits)
        out.image = Centred(w, h, bw, bh);
    return out;
}

} // namespace quenzel
