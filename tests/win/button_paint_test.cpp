// ButtonEx painting checked pixel by pixel in memory bitmaps.
#include "base/high_contrast.h"
#include "controls/button_ex.h"
#include "tests/win/button_fixture.h"

#include <iterator>

namespace buttontest {
namespace {

using namespace quenzel;

constexpr COLORREF Outline = 0x908782;
constexpr COLORREF Corner = 0x808080;
constexpr COLORREF InnerCorner = 0xC5D0D6;

void PressAndHold(HWND button)
{
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
}

void Release(HWND button)
{
    SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

TEST_F(ButtonTest, PlainFramesAndTheSunkenOffset)
{
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF dark = GetSysColor(COLOR_BTNSHADOW);
    HWND button = Make(L"", BS_BITMAP, 60, 40);
    HBITMAP image = SolidBitmap(10, 10, Red);
    SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
    const Capture raised(button);
    EXPECT_EQ(raised.At(30, 0), light);
    EXPECT_EQ(raised.At(0, 20), light);
    EXPECT_EQ(raised.At(30, 39), dark);
    EXPECT_EQ(raised.At(59, 20), dark);
    const RECT up = raised.BoundsOf(Red);
    EXPECT_EQ(up.left, 25); // centred: (60 - 10) / 2
    EXPECT_EQ(up.top, 15);
    PressAndHold(button);
    const Capture sunken(button);
    Release(button);
    EXPECT_EQ(sunken.At(30, 0), dark);
    EXPECT_EQ(sunken.At(30, 39), light);
    const RECT down = sunken.BoundsOf(Red);
    EXPECT_EQ(down.left, up.left + 1);
    EXPECT_EQ(down.top, up.top + 1);
    DeleteObject(image);

    HWND hard = Make(L"Hard", BXS_HARDEDGES, 60, 40);
    const Capture hardRaised(hard);
    EXPECT_EQ(hardRaised.At(30, 0), RGB(255, 255, 255));
    EXPECT_EQ(hardRaised.At(59, 20), RGB(0, 0, 0));
}

TEST_F(ButtonTest, SystemFrameIsTheSystemsAndIgnoresHardEdges)
{
    HWND system = Make(L"", BXS_SYSTEMFRAME, 60, 40);
    HWND hard = Make(L"", BXS_SYSTEMFRAME | BXS_HARDEDGES, 60, 40);
    HWND reference = Make(L"", 0, 60, 40);
    const Capture a(system);
    const Capture b(hard);
    // What DrawFrameControl draws on the same background.
    const Capture base(reference);
    HDC memory = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 60, -40, 1, 32};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT rc{0, 0, 60, 40};
    DrawFrameControl(memory, &rc, DFC_BUTTON, DFCS_BUTTONPUSH);
    GdiFlush();
    for (int x = 0; x < 60; ++x) {
        EXPECT_EQ(a.At(x, 0), GetPixel(memory, x, 0)) << x;
        EXPECT_EQ(a.At(x, 39), GetPixel(memory, x, 39)) << x;
        EXPECT_EQ(a.At(x, 1), b.At(x, 1)) << x;
        EXPECT_EQ(a.At(x, 38), b.At(x, 38)) << x;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

TEST_F(ButtonTest, RoundedOutlineBevelAndCorners)
{
    const int w = 60, h = 30;
    HWND button = Make(L"", BXS_ROUNDED, w, h);
    const Capture raised(button);
    EXPECT_EQ(raised.At(w / 2, 0), Outline);
    EXPECT_EQ(raised.At(w / 2, h - 1), Outline);
    EXPECT_EQ(raised.At(0, h / 2), Outline);
    for (POINT p : {POINT{1, h - 1}, POINT{0, h - 2}, POINT{0, 1}, POINT{1, 0}, POINT{w - 2, 0}, POINT{w - 1, 1},
                    POINT{w - 1, h - 2}, POINT{w - 2, h - 1}})
        EXPECT_EQ(raised.At(p.x, p.y), Corner) << p.x << "," << p.y;
    EXPECT_EQ(raised.At(1, 2), InnerCorner);
    EXPECT_EQ(raised.At(2, 1), InnerCorner);
    EXPECT_EQ(raised.At(w / 2, h - 2), 0xC5D0D6u);
    EXPECT_EQ(raised.At(w / 2, h - 3), 0xD6DFE2u);
    EXPECT_EQ(raised.At(w / 2, h - 4), 0xE6EBECu);
    EXPECT_EQ(raised.At(w - 4, h / 2), 0xE6EBECu);
    EXPECT_EQ(raised.At(w / 2, h / 2), 0xEFF3F3u);

    PressAndHold(button);
    const Capture sunken(button);
    Release(button);
    EXPECT_EQ(sunken.At(w / 2, 1), 0xC5D0D6u);
    EXPECT_EQ(sunken.At(w / 2, 2), 0xD6DFE2u);
    EXPECT_EQ(sunken.At(w / 2, 3), 0xE6EBECu);
    EXPECT_EQ(sunken.At(1, h / 2), 0xC5D0D6u);
    EXPECT_EQ(sunken.At(w - 3, h - 2), InnerCorner);
    EXPECT_EQ(sunken.At(w - 2, h - 3), InnerCorner);
    EXPECT_EQ(sunken.At(w / 2, h - 2), 0xEFF3F3u);
}

TEST_F(ButtonTest, RoundedFocusShowsBlueBevelNotARectangle)
{
    const int w = 60, h = 30;
    HWND button = Make(L"", BXS_ROUNDED | BXS_FOCUSCUE, w, h);
    SetFocus(button);
    const Capture raised(button);
    EXPECT_EQ(raised.At(w / 2, h - 2), 0xD4A399u);
    EXPECT_EQ(raised.At(w / 2, h - 4), 0xEBE0C1u);
    EXPECT_EQ(raised.At(w / 2, 1), 0xEBE0C1u);
    EXPECT_EQ(raised.At(1, h / 2), 0xEBE0C1u);
    EXPECT_EQ(raised.At(4, h / 2), 0xEFF3F3u); // no focus rectangle
    PressAndHold(button);
    const Capture sunken(button);
    Release(button);
    EXPECT_EQ(sunken.At(w / 2, 1), 0xD4A399u);
    EXPECT_EQ(sunken.At(w / 2, h - 2), 0xEEC5ADu);
    EXPECT_EQ(sunken.At(w - 2, h / 2), 0xEEC5ADu);
}

TEST_F(ButtonTest, FocusRectangleFourPixelsInside)
{
    const int w = 60, h = 30;
    HWND button = Make(L"", BXS_FOCUSCUE, w, h);
    const Capture unfocused(button);
    SetFocus(button);
    const Capture focused(button);
    int changed = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (focused.At(x, y) != unfocused.At(x, y)) {
                ++changed;
                const bool onRect = ((x == 4 || x == w - 5) && y >= 4 && y <= h - 5)
                    || ((y == 4 || y == h - 5) && x >= 4 && x <= w - 5);
                EXPECT_TRUE(onRect) << x << "," << y;
            }
    EXPECT_GT(changed, w / 2);
}

struct LayoutCase {
    DWORD style;
    const wchar_t* caption;
};

TEST_F(ButtonTest, ImageAndCaptionLayouts)
{
    const int w = 110, h = 90, bw = 20, bh = 16;
    HBITMAP image = SolidBitmap(bw, bh, Red);
    auto make = [&](DWORD style, const wchar_t* caption) {
        HWND button = Make(caption, style | BS_BITMAP, w, h);
        SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
        return button;
    };
    HWND top = make(BXS_IMAGETOP, L"Encrypt");
    const SIZE text = TextSize(top, L"Encrypt");
    const Capture topCapture(top);
    RECT img = topCapture.BoundsOf(Red);
    EXPECT_EQ(img.top, 10);
    EXPECT_EQ(img.left, (w - bw) / 2);
    RECT caption = topCapture.BoundsOf(RGB(0, 0, 0));
    EXPECT_LE(caption.bottom, h - 8);
    EXPECT_GE(caption.top, h - 8 - text.cy);
    EXPECT_GE(caption.left, (w - text.cx) / 2);

    const Capture bottom(make(BXS_IMAGEBOTTOM, L"Encrypt"));
    img = bottom.BoundsOf(Red);
    EXPECT_EQ(img.bottom, h - 8);
    caption = bottom.BoundsOf(RGB(0, 0, 0));
    EXPECT_GE(caption.top, 8);
    EXPECT_LE(caption.bottom, 8 + text.cy);

    const int group = bw + text.cx + 10;
    const Capture left(make(0, L"Encrypt"));
    img = left.BoundsOf(Red);
    EXPECT_EQ(img.left, (w - group) / 2);
    EXPECT_EQ(img.top, (h - bh) / 2);
    EXPECT_GE(left.BoundsOf(RGB(0, 0, 0)).left, (w - group) / 2 + bw + 10);

    const Capture right(make(BXS_IMAGERIGHT, L"Encrypt"));
    EXPECT_EQ(right.BoundsOf(Red).left, (w - group) / 2 + text.cx + 10);
    EXPECT_LT(right.BoundsOf(RGB(0, 0, 0)).right, (w - group) / 2 + text.cx + 1);

    const Capture only(make(BXS_IMAGEONLY | BXS_IMAGETOP, L"ignored"));
    img = only.BoundsOf(Red);
    EXPECT_EQ(img.left, (w - bw) / 2);
    EXPECT_EQ(img.top, (h - bh) / 2);
    EXPECT_FALSE(only.Has(RGB(0, 0, 0)));
    DeleteObject(image);
}

TEST_F(ButtonTest, LongCaptionIsMeasuredWhole)
{
    const std::wstring caption(400, L'm');
    const int w = 8000, h = 30, bw = 10;
    HBITMAP image = SolidBitmap(bw, bw, Red);
    HWND button = Make(caption.c_str(), BS_BITMAP, w, h);
    SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
    const SIZE text = TextSize(button, caption.c_str());
    const Capture shot(button);
    EXPECT_EQ(shot.BoundsOf(Red).left, (w - (bw + text.cx + 10)) / 2);
    EXPECT_GT(shot.BoundsOf(RGB(0, 0, 0)).right, shot.BoundsOf(Red).right + text.cx * 9 / 10);
    DeleteObject(image);
}

TEST_F(ButtonTest, AmpersandUnderlinesInsteadOfShowing)
{
    HWND marked = Make(L"&WW", 0, 110, 30);
    HWND plain = Make(L"WW", 0, 110, 30);
    const RECT withMark = Capture(marked).BoundsOf(RGB(0, 0, 0));
    const RECT without = Capture(plain).BoundsOf(RGB(0, 0, 0));
    EXPECT_NEAR(withMark.left, without.left, 1);
    EXPECT_NEAR(withMark.right, without.right, 1); // an "&" shown would be several pixels wide
    EXPECT_GT(withMark.bottom, without.bottom);    // the underline below the first W
}

TEST_F(ButtonTest, DisabledCaptionIsGrey)
{
    // A disabled caption is drawn embossed in the system's shadow colour,
    // 0x808080 in the classic scheme, which this test sets for its run.
    const INT element = COLOR_BTNSHADOW;
    const COLORREF oldShadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF classicShadow = 0x808080;
    ASSERT_TRUE(SetSysColors(1, &element, &classicShadow));
    HWND button = Make(L"Disabled", 0);
    EXPECT_TRUE(Capture(button).Has(RGB(0, 0, 0)));
    EnableWindow(button, FALSE);
    const Capture shot(button);
    EnableWindow(button, TRUE);
    const Capture again(button);
    ASSERT_TRUE(SetSysColors(1, &element, &oldShadow));
    const RECT grey = shot.BoundsOf(0x808080);
    EXPECT_GT(grey.left, 1) << "the caption, not only the frame, is grey";
    EXPECT_LT(grey.right, shot.Width() - 1);
    const RECT black = shot.BoundsOf(RGB(0, 0, 0));
    EXPECT_TRUE(IsRectEmpty(&black)) << "black caption pixels remain";
    EXPECT_TRUE(again.Has(RGB(0, 0, 0)));
}

// In a high-contrast theme face, frame and caption take the colours the
// user chose (set here as the system colours), never the rounded look's.
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
            PressAndHold(button);
        const Capture capture(button);
        const COLORREF face = GetSysColor(row.face);
        EXPECT_EQ(capture.At(capture.Width() / 2, 3), face);
        EXPECT_EQ(capture.At(capture.Width() / 2, capture.Height() - 3), face);
        EXPECT_TRUE(capture.Has(GetSysColor(row.caption)));
        EXPECT_NE(capture.At(0, capture.Height() / 2), face); // a frame at the edge
        // The rounded look's caption or face.
        EXPECT_FALSE(capture.Has(RGB(0x28, 0x32, 0x5A)) || capture.Has(RGB(0xF3, 0xF3, 0xEF)));
        if (row.pressed)
            Release(button);
    }
    HoldHighContrast(false);
    SetSysColors(static_cast<int>(std::size(indices)), indices, saved);
}

} // namespace
} // namespace buttontest
