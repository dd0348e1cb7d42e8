// The ButtonEx control driven with real messages in this process.
#include "controls/button_ex.h"
#include "tests/win/button_fixture.h"

#include <commctrl.h>

namespace buttontest {
namespace {

using namespace quenzel;

TEST_F(ButtonTest, PlainClickNotifiesAfterRepaint)
{
    HWND button = Make(L"Go", 0, 110, 40, 321);
    RECT window{};
    GetWindowRect(button, &window);
    SetCursorPos(window.left + 5, window.top + 5); // the press takes the focus only under the pointer
    Click(button);
    ASSERT_EQ(Commands().size(), 1u);
    EXPECT_EQ(Commands()[0].id, 321);
    EXPECT_EQ(Commands()[0].code, BN_CLICKED);
    EXPECT_EQ(Commands()[0].from, button);
    EXPECT_TRUE(Commands()[0].repaintedFirst);
    EXPECT_EQ(GetFocus(), button);
}

TEST_F(ButtonTest, PressDraggedOffAndReleasedOutsideSendsNothing)
{
    HWND button = Make(L"Go", 0);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_NE(Capture(button).At(0, 0), highlight); // sunken: shadow on top
    SendMessageW(button, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 5));
    EXPECT_EQ(Capture(button).At(0, 0), highlight); // raised again
    SendMessageW(button, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-4), 5));
    EXPECT_EQ(Capture(button).At(0, 0), highlight);
    SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(-4), 5));
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ButtonTest, LatchingButtonsLatchOnceAndReleaseEachOther)
{
    HWND a = Make(L"A", BXS_LATCH);
    HWND b = Make(L"B", BXS_LATCH);
    HWND plain = Make(L"P", 0);
    EXPECT_TRUE(GetWindowLongW(a, GWL_STYLE) & BXS_FLAT);
    Click(a);
    Click(a);
    ASSERT_EQ(Commands().size(), 1u);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(Capture(a).At(0, 0), shadow); // sunken while latched
    Click(plain);
    EXPECT_EQ(Capture(a).At(0, 0), shadow); // a plain sibling leaves the latch alone
    Click(b);
    EXPECT_EQ(Commands().size(), 3u);
    EXPECT_EQ(Capture(a).At(0, 0), face); // flat again
    EXPECT_EQ(Capture(b).At(0, 0), shadow);
}

TEST_F(ButtonTest, FlatButtonHoversAndClicks)
{
    HWND button = Make(L"Flat", BXS_FLAT | BXS_HARDEDGES);
    EXPECT_EQ(Capture(button).At(0, 0), GetSysColor(COLOR_BTNFACE));
    Hover(button, true);
    EXPECT_EQ(Capture(button).At(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(Capture(button).At(109, 39), RGB(0, 0, 0));
    Click(button);
    EXPECT_EQ(Commands().size(), 1u);
    Hover(button, false);
    EXPECT_EQ(Capture(button).At(0, 0), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetCapture(), nullptr);
    // A release that ends no press on the button is no click.
    SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(Commands().size(), 1u);
}

TEST_F(ButtonTest, AltMnemonicClicksOnlyTheUpperCaseMatch)
{
    HWND save = Make(L"&Save", 0);
    HWND sound = Make(L"&sound", 0);
    HWND open = Make(L"&Open", 0);
    SendMessageW(open, WM_SYSKEYUP, 'S', 0);
    ASSERT_EQ(Commands().size(), 1u);
    EXPECT_EQ(Commands()[0].from, save);
    EXPECT_EQ(GetFocus(), save);
    EXPECT_FALSE(ClickByMnemonic(parent_, 'X'));
    EXPECT_TRUE(ClickByMnemonic(parent_, 'O'));
    ASSERT_EQ(Commands().size(), 2u);
    EXPECT_EQ(Commands()[1].from, open);
    (void)sound;
}

TEST_F(ButtonTest, SpaceReturnAndTab)
{
    HWND first = Make(L"One", WS_TABSTOP);
    HWND second = Make(L"Two", WS_TABSTOP);
    SendMessageW(first, WM_KEYUP, VK_SPACE, 0);
    SendMessageW(first, WM_KEYUP, VK_RETURN, 0);
    ASSERT_EQ(Commands().size(), 2u);
    EXPECT_EQ(Commands()[1].from, first);
    SetFocus(first);
    SendMessageW(first, WM_KEYUP, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), second);
}

// A focused button shows a dotted focus rectangle (its top edge 4 pixels in)
// unless the UI state hides focus cues; Wine 8 keeps no UI state.
TEST_F(ButtonTest, FocusRectangleFollowsTheUiState)
{
    HWND button = Make(L"", WS_TABSTOP);
    const Capture unfocused(button);
    const auto edgeChanges = [&] {
        const Capture now(button);
        int changed = 0;
        for (int x = 0; x < unfocused.Width(); ++x)
            changed += unfocused.At(x, 4) != now.At(x, 4) ? 1 : 0;
        return changed;
    };
    SendMessageW(parent_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    SetFocus(button);
    ASSERT_EQ(GetFocus(), button);
    EXPECT_GT(edgeChanges(), unfocused.Width() / 4);
    SendMessageW(parent_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    if (SendMessageW(parent_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) {
        EXPECT_EQ(edgeChanges(), 0) << "focus cues hidden";
    }
}

TEST_F(ButtonTest, TextMessages)
{
    HWND button = Make(L"Caption", 0);
    wchar_t buffer[32] = L"";
    // Answered like any window's text, so screen readers read the caption.
    EXPECT_EQ(SendMessageW(button, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(buffer)), 7);
    EXPECT_STREQ(buffer, L"Caption");
    EXPECT_EQ(SendMessageW(button, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buffer)), 3);
    EXPECT_STREQ(buffer, L"Cap");
    EXPECT_EQ(GetWindowTextLengthW(button), 7);
    EXPECT_TRUE(SetWindowTextW(button, L"New"));
    SendMessageW(button, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(buffer));
    EXPECT_STREQ(buffer, L"New");

    HWND imageOnly = Make(L"kept?", BXS_IMAGEONLY & 0x1000);
    buffer[0] = L'x';
    SendMessageW(imageOnly, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(buffer));
    EXPECT_STREQ(buffer, L"");
}

TEST_F(ButtonTest, CreationAdjustsTheStyle)
{
    HWND rounded = Make(L"R", BXS_ROUNDED | WS_BORDER);
    EXPECT_FALSE(GetWindowLongW(rounded, GWL_STYLE) & WS_BORDER);
    EXPECT_TRUE(GetWindowLongW(rounded, GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(rounded, BXM_GETBKCOLOR, 0, 0)), 0xEFF3F3u);
    SendMessageW(rounded, BXM_SETBKCOLOR, 0, RGB(1, 2, 3));
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(rounded, BXM_GETBKCOLOR, 0, 0)), 0xEFF3F3u);

    HWND plain = Make(L"P", WS_BORDER);
    EXPECT_TRUE(GetWindowLongW(plain, GWL_STYLE) & WS_BORDER);
    SendMessageW(plain, BXM_SETBKCOLOR, 0, RGB(1, 2, 3));
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(plain, BXM_GETBKCOLOR, 0, 0)), RGB(1, 2, 3));
    EXPECT_EQ(Capture(plain).At(20, 20), RGB(1, 2, 3));

    EXPECT_TRUE(IsButtonEx(plain));
    EXPECT_FALSE(IsButtonEx(parent_));
    EXPECT_EQ(CreateButtonEx(L"x", 0, 0, 0, 10, 10, nullptr, 1), nullptr);
}

struct TooltipSearch {
    HWND owner;
    int count;
};

BOOL CALLBACK CountTooltip(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<TooltipSearch*>(param);
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0 && GetWindow(window, GW_OWNER) == search->owner)
        ++search->count;
    return TRUE;
}

int TooltipsOwnedBy(HWND button)
{
    TooltipSearch search{button, 0};
    EnumThreadWindows(GetCurrentThreadId(), CountTooltip, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

TEST_F(ButtonTest, TooltipIsAddedOnceAndKeepsTheFocus)
{
    HWND button = Make(L"Tip", 0);
    HWND other = Make(L"Other", 0);
    SetFocus(other);
    EXPECT_EQ(AddButtonExTooltip(button, L"First tip"), 0);
    EXPECT_EQ(AddButtonExTooltip(button, L"Second tip"), 0);
    EXPECT_EQ(GetFocus(), other);
    // A popup owned by a child window belongs to the child's top-level window.
    EXPECT_EQ(TooltipsOwnedBy(parent_), 1);
    HWND tooltip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
    while (tooltip && GetWindow(tooltip, GW_OWNER) != parent_)
        tooltip = FindWindowExW(nullptr, tooltip, TOOLTIPS_CLASSW, nullptr);
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
    wchar_t text[64] = L"";
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = button;
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, L"Second tip");
    EXPECT_EQ(AddButtonExTooltip(parent_, L"no"), -1);
}

TEST_F(ButtonTest, ImagesFillTheirSlotsAndClear)
{
    HWND button = Make(L"", BS_BITMAP);
    HBITMAP first = SolidBitmap(8, 8, Red);
    HBITMAP pressed = SolidBitmap(8, 8, RGB(0, 0, 255));
    SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(first));
    SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(pressed));
    EXPECT_TRUE(Capture(button).Has(Red));
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    const Capture down(button);
    SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(down.Has(RGB(0, 0, 255)));
    EXPECT_FALSE(down.Has(Red));
    SendMessageW(button, BXM_CLEARIMAGES, 0, 0);
    EXPECT_FALSE(Capture(button).Has(Red));
    DeleteObject(first);
    DeleteObject(pressed);
}

TEST_F(ButtonTest, SystemColourChangeRecoloursBitmapsEachTime)
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF changed = RGB(200, 100, 50);
    HWND plain = Make(L"", BS_BITMAP);
    HWND kept = Make(L"", BS_BITMAP | BXS_KEEPIMAGECOLORS);
    HWND rounded = Make(L"", BXS_ROUNDED);
    HBITMAP recoloured = SolidBitmap(8, 8, face);
    HBITMAP unchanged = SolidBitmap(8, 8, face);
    SendMessageW(plain, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(recoloured));
    SendMessageW(kept, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(unchanged));

    auto pixelOf = [](HBITMAP bitmap) {
        HDC memory = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(memory, bitmap);
        const COLORREF pixel = GetPixel(memory, 3, 3);
        SelectObject(memory, old);
        DeleteDC(memory);
        return pixel;
    };
    auto changeFace = [&](COLORREF color) {
        const INT element = COLOR_BTNFACE;
        ASSERT_TRUE(SetSysColors(1, &element, &color));
        for (HWND button : {plain, kept, rounded})
            SendMessageW(button, WM_SYSCOLORCHANGE, 0, 0);
    };
    changeFace(changed);
    EXPECT_EQ(pixelOf(recoloured), changed);
    EXPECT_EQ(pixelOf(unchanged), face);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(plain, BXM_GETBKCOLOR, 0, 0)), changed);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(rounded, BXM_GETBKCOLOR, 0, 0)), 0xEFF3F3u);
    changeFace(face);
    EXPECT_EQ(pixelOf(recoloured), face);
    DeleteObject(recoloured);
    DeleteObject(unchanged);
}

TEST_F(ButtonTest, ButtonDestroyedByItsOwnClickIsLeftAlone)
{
    HWND button = Make(L"Bye", 0, 110, 40, DestroyOnClickId);
    Click(button);
    EXPECT_FALSE(IsWindow(button));
    EXPECT_EQ(Commands().size(), 1u);
}

} // namespace
} // namespace buttontest
