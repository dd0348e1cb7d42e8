// ButtonEx decisions without a window: layouts, looks, drag tracking, mnemonics.
#include "controls/button_layout.h"
#include "controls/button_logic.h"

#include <gtest/gtest.h>

namespace quenzel {
namespace {

constexpr std::uint32_t ImageRight = 0x0001;
constexpr std::uint32_t ImageBottom = 0x0004;
constexpr std::uint32_t ImageTop = 0x0008;

ButtonLayoutInput Input(std::uint32_t style, bool image, bool caption)
{
    ButtonLayoutInput in;
    in.style = style;
    in.width = 110;
    in.height = 90;
    in.hasImage = image;
    in.imageWidth = image ? 32 : 0;
    in.imageHeight = image ? 32 : 0;
    in.hasCaption = caption;
    in.textWidth = caption ? 40 : 0;
    in.textHeight = caption ? 13 : 0;
    return in;
}

TEST(ButtonLayout, SideBySideLayoutsCentreTheGroup)
{
    // group = 32 + 40 + 10 = 82, starting at (110 - 82) / 2 = 14
    const ButtonLayout left = ComputeButtonLayout(Input(0, true, true));
    EXPECT_EQ(left.image.x, 14);
    EXPECT_EQ(left.image.y, 29);
    EXPECT_EQ(left.text.x, 14 + 32 + 10);
    EXPECT_EQ(left.text.y, 38);
    const ButtonLayout right = ComputeButtonLayout(Input(ImageRight, true, true));
    EXPECT_EQ(right.text.x, 14);
    EXPECT_EQ(right.image.x, 14 + 40 + 10);
    EXPECT_EQ(right.image.y, 29);
}

TEST(ButtonLayout, StackedLayoutsKeepTheirMargins)
{
    const ButtonLayout top = ComputeButtonLayout(Input(ImageTop, true, true));
    EXPECT_EQ(top.image.y, 10);
    EXPECT_EQ(top.text.y + 13, 90 - 8);
    EXPECT_EQ(top.image.x, 39);
    EXPECT_EQ(top.text.x, 35);
    const ButtonLayout bottom = ComputeButtonLayout(Input(ImageBottom, true, true));
    EXPECT_EQ(bottom.text.y, 8);
    EXPECT_EQ(bottom.image.y + 32, 90 - 8);
}

// At 150 % the gap and margins are design pixels scaled (10 -> 15, 8 -> 12).
TEST(ButtonLayout, GapsAndMarginsScaleWithTheDpi)
{
    ButtonLayoutInput in = Input(ImageTop, true, true);
    in.dpi = 144;
    const ButtonLayout top = ComputeButtonLayout(in);
    EXPECT_EQ(top.image.y, 15);
    EXPECT_EQ(top.text.y + 13, 90 - 12);
    in = Input(0, true, true);
    in.dpi = 144;
    const ButtonLayout left = ComputeButtonLayout(in);
    EXPECT_EQ(left.text.x - left.image.x, 32 + 15);
}

TEST(ButtonLayout, ImageAloneOrImageOnlyIsCentred)
{
    const ButtonLayout alone = ComputeButtonLayout(Input(0, true, false));
    EXPECT_EQ(alone.image.x, 39);
    EXPECT_EQ(alone.image.y, 29);
    for (std::uint32_t imageOnly : {0x0400u, 0x1000u}) {
        const ButtonLayout centred = ComputeButtonLayout(Input(ImageTop | imageOnly, true, true));
        EXPECT_EQ(centred.image.x, 39);
        EXPECT_EQ(centred.image.y, 29);
    }
    const ButtonLayout captionOnly = ComputeButtonLayout(Input(ImageTop, false, true));
    EXPECT_EQ(captionOnly.text.x, 35);
    EXPECT_EQ(captionOnly.text.y, 38);
}

TEST(ButtonLook, LatchingButtonsStayDownUntilReleased)
{
    ButtonLookState s;
    s.latching = s.flat = true;
    EXPECT_EQ(ChooseButtonLook(s), ButtonLook::Flat);
    s.resting = false;
    s.hot = true;
    EXPECT_EQ(ChooseButtonLook(s), ButtonLook::Raised);
    s.hot = false;
    EXPECT_EQ(ChooseButtonLook(s), ButtonLook::Sunken);
    s.latched = true;
    EXPECT_EQ(ChooseButtonLook(s), ButtonLook::Sunken);
}

TEST(ButtonLook, FlatAndPlainButtons)
{
    ButtonLookState flat;
    flat.flat = true;
    EXPECT_EQ(ChooseButtonLook(flat), ButtonLook::Flat);
    flat.hot = true;
    flat.resting = false;
    EXPECT_EQ(ChooseButtonLook(flat), ButtonLook::Hot);
    flat.hot = false;
    EXPECT_EQ(ChooseButtonLook(flat), ButtonLook::Sunken);

    ButtonLookState plain;
    plain.pressedInside = true; // another button's press
    EXPECT_EQ(ChooseButtonLook(plain), ButtonLook::Raised);
    plain.pressed = true;
    EXPECT_EQ(ChooseButtonLook(plain), ButtonLook::Sunken);
    EXPECT_EQ(ContentOffset(ButtonLook::Sunken), 1);
    EXPECT_EQ(ContentOffset(ButtonLook::Raised), 0);
}

TEST(ButtonLook, DraggingOffAPlainButtonLiftsIt)
{
    EXPECT_TRUE(PressedInsideAfterMove(5, 5, 40, 20, false));
    EXPECT_FALSE(PressedInsideAfterMove(41, 5, 40, 20, true));
    EXPECT_FALSE(PressedInsideAfterMove(5, 21, 40, 20, true));
    // Left of the button: -3 read as an unsigned 16-bit value.
    EXPECT_FALSE(PressedInsideAfterMove(static_cast<std::uint16_t>(-3), 5, 40, 20, true));
    EXPECT_TRUE(PressedInsideAfterMove(40, 5, 40, 20, false));
    EXPECT_TRUE(PressedInsideAfterMove(40, 20, 40, 20, true));
    EXPECT_FALSE(PressedInsideAfterMove(40, 20, 40, 20, false));
}

TEST(ButtonCaption, MnemonicMarks)
{
    EXPECT_EQ(StripMnemonicMarks(L"&Save && go"), L"Save  go");
    EXPECT_EQ(StripMnemonicMarks(nullptr), L"");
    const std::wstring longCaption(600, L'a');
    EXPECT_EQ(StripMnemonicMarks((L"&" + longCaption).c_str()), longCaption);
    EXPECT_EQ(MnemonicOf(L"Open &Shredder"), L'S');
    EXPECT_EQ(MnemonicOf(L"a&b&c"), L'b');
    EXPECT_EQ(MnemonicOf(L"plain"), 0);
    EXPECT_EQ(MnemonicOf(L"end&"), 0);
    EXPECT_EQ(MnemonicOf(nullptr), 0);
}

} // namespace
} // namespace quenzel
