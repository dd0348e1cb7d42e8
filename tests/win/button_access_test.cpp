// ButtonEx in a high-contrast theme: face, frame and caption in the colours
// the user chose (set here as the system colours), never the rounded look's.
#include "base/high_contrast.h"
#include "tests/win/button_fixture.h"

#include <iterator>

namespace buttontest {
namespace {

using namespace quenzel;

TEST_F(ButtonTest, HighContrastPaintsInTheSystemColoursOnly)
{
    const INT indices[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_GRAYTEXT};
    // A black theme with yellow text, as high-contrast themes have it.
    const COLORREF theme[] = {RGB(0, 0, 0), RGB(255, 255, 0), RGB(0, 128, 255), RGB(255, 255, 255), RGB(0, 255, 0)};
    COLORREF saved[std::size(indices)];
    for (size_t i = 0; i < std::size(indices); ++i)
        saved[i] = GetSysColor(indices[i]);
    ASSERT_TRUE(SetSysColors(static_cast<int>(std::size(indices)), indices, theme));
    HoldHighContrast(true);
    const struct {
        const char* what;
        bool disabled, pressed;
        int face, caption;
    } rows[] = {{"resting", false, false, COLOR_BTNFACE, COLOR_BTNTEXT},
                {"pressed", false, true, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT},
                {"disabled", true, false, COLOR_BTNFACE, COLOR_GRAYTEXT}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        HWND button = Make(L"Encrypt", BXS_ROUNDED | BS_ICON, 110, 40);
        SendMessageW(button, WM_SYSCOLORCHANGE, 0, 0);
        EnableWindow(button, !row.disabled);
        if (row.pressed)
            SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        const Capture capture(button);
        const COLORREF face = GetSysColor(row.face);
        EXPECT_EQ(capture.At(capture.Width() / 2, 3), face);
        EXPECT_EQ(capture.At(capture.Width() / 2, capture.Height() - 3), face);
        EXPECT_TRUE(capture.Has(GetSysColor(row.caption)));
        EXPECT_NE(capture.At(0, capture.Height() / 2), face); // a frame at the edge
        // The rounded look's caption or face.
        EXPECT_FALSE(capture.Has(RGB(0x28, 0x32, 0x5A)) || capture.Has(RGB(0xF3, 0xF3, 0xEF)));
        if (row.pressed)
            SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(500, 500));
    }
    HoldHighContrast(false);
    SetSysColors(static_cast<int>(std::size(indices)), indices, saved);
}

} // namespace
} // namespace buttontest
