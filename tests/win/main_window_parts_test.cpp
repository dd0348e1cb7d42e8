// Parts of the main window tested in-process: the owner-drawn popup menus,
// drawn into a bitmap and checked pixel by pixel, their check marks, the
// column sort and the colour change passed on to the controls.
#include "app/behaviours.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/menu.h"
#include "base/fonts.h"
#include "base/list_sort.h"
#include "base/process.h"
#include "base/tabs.h"
#include "controls/owner_menu.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace quenzel;

// A 32-bit top-down bitmap to draw into.
class Canvas {
public:
    Canvas(int width, int height)
        : width_(width)
        , height_(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_; }
    bool Ready() const { return bits_ != nullptr; }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        const DWORD p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    void Fill(COLORREF colour)
    {
        RECT all{0, 0, width_, height_};
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    DWORD* bits_ = nullptr;
};

bool Near(COLORREF a, COLORREF b, int tolerance)
{
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance
        && abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

constexpr COLORREF Unpainted = RGB(255, 0, 255);
enum : UINT { OpenId = 11, CheckedId = 12, GreyId = 13 };

struct DrawnMenu {
    HMENU popup = nullptr;
    std::vector<MEASUREITEMSTRUCT> measured;
    std::vector<int> tops;
    int width = 0;
    int height = 0;
};

ULONG_PTR ItemData(HMENU popup, int position)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    GetMenuItemInfoW(popup, static_cast<UINT>(position), TRUE, &info);
    return info.dwItemData;
}

DrawnMenu MakeMenu()
{
    DrawnMenu menu;
    menu.popup = CreatePopupMenu();
    AppendMenuW(menu.popup, MF_STRING, OpenId, L"&Open\tCtrl+O");
    AppendMenuW(menu.popup, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.popup, MF_STRING | MF_CHECKED, CheckedId, L"&Checked");
    AppendMenuW(menu.popup, MF_STRING | MF_GRAYED, GreyId, L"&Grey");
    return menu;
}

int SideBarWidth()
{
    HDC screen = GetDC(nullptr);
    const int g = MulDiv(16, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return g + 4;
}

void Measure(DrawnMenu& menu)
{
    const int count = GetMenuItemCount(menu.popup);
    for (int i = 0; i < count; ++i) {
        MEASUREITEMSTRUCT m{};
        m.CtlType = ODT_MENU;
        m.itemID = GetMenuItemID(menu.popup, i);
        m.itemData = ItemData(menu.popup, i);
        ASSERT_EQ(MeasureMenuItem(0, &m), 1) << i;
        menu.tops.push_back(menu.height);
        menu.height += static_cast<int>(m.itemHeight);
        if (static_cast<int>(m.itemWidth) > menu.width)
            menu.width = static_cast<int>(m.itemWidth);
        menu.measured.push_back(m);
    }
}

void Draw(const DrawnMenu& menu, Canvas& canvas, int position, UINT state)
{
    DRAWITEMSTRUCT d{};
    d.CtlType = ODT_MENU;
    d.itemID = menu.measured[position].itemID;
    d.itemState = state;
    d.hwndItem = reinterpret_cast<HWND>(menu.popup);
    d.hDC = canvas.Dc();
    d.rcItem = RECT{0, menu.tops[position], menu.width,
                    menu.tops[position] + static_cast<int>(menu.measured[position].itemHeight)};
    d.itemData = menu.measured[position].itemData;
    ASSERT_EQ(DrawMenuItem(0, &d), 1);
}

bool AnyPixel(const Canvas& canvas, RECT area, bool (*match)(COLORREF, COLORREF), COLORREF colour)
{
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (match(canvas.At(x, y), colour))
                return true;
    return false;
}

bool Differs(COLORREF a, COLORREF b)
{
    return a != b;
}

bool Same(COLORREF a, COLORREF b)
{
    return a == b;
}

// Converted items are measured, separators half high, and screen readers
// read each item's text from its item data's MSAAMENUINFO.
TEST(OwnerMenu, MeasuresItemsAndHalfHighSeparatorsAndCarriesTheirTexts)
{
    DrawnMenu menu = MakeMenu();
    ASSERT_EQ(ConvertMenuToOwnerDraw(menu.popup, L"Test"), 1);
    const wchar_t* texts[] = {L"&Open\tCtrl+O", L"", L"&Checked", L"&Grey"};
    for (int i = 0; i < 4; ++i) {
        const auto* info = reinterpret_cast<const MSAAMENUINFO*>(ItemData(menu.popup, i));
        ASSERT_TRUE(info && info->dwMSAASignature == static_cast<DWORD>(MSAA_MENU_SIG)) << i;
        EXPECT_EQ(info->cchWText, static_cast<DWORD>(lstrlenW(texts[i]))) << i;
        EXPECT_STREQ(info->pszWText, texts[i]) << i;
    }
    Measure(menu);
    ASSERT_EQ(menu.measured.size(), 4u);
    const UINT itemHeight = static_cast<UINT>(GetSystemMetrics(SM_CYMENU) + 2);
    EXPECT_EQ(menu.measured[0].itemHeight, itemHeight);
    EXPECT_EQ(menu.measured[1].itemHeight, itemHeight >> 1);
    EXPECT_EQ(menu.measured[1].itemWidth, 0u);
    EXPECT_EQ(menu.measured[0].itemWidth, menu.measured[2].itemWidth);
    EXPECT_GT(static_cast<int>(menu.measured[0].itemWidth),
              SideBarWidth() + 2 * (GetSystemMetrics(SM_CXMENUCHECK) + 4));

    // Not ours: another control type, or item data without the tag.
    MEASUREITEMSTRUCT other = menu.measured[0];
    EXPECT_EQ(MeasureMenuItem(1, &other), 0);
    other.CtlType = ODT_BUTTON;
    EXPECT_EQ(MeasureMenuItem(0, &other), 0);
    char untagged[128] = {};
    other.CtlType = ODT_MENU;
    other.itemData = reinterpret_cast<ULONG_PTR>(untagged);
    EXPECT_EQ(MeasureMenuItem(0, &other), 0);
    EXPECT_EQ(ConvertMenuToOwnerDraw(CreatePopupMenu(), L"Empty"), 0);
    DestroyMenu(menu.popup);
}

TEST(OwnerMenu, DrawsSideBarCheckMarkShortcutAndSeparator)
{
    DrawnMenu menu = MakeMenu();
    ASSERT_EQ(ConvertMenuToOwnerDraw(menu.popup, L"Test"), 1);
    Measure(menu);
    Canvas canvas(menu.width, menu.height);
    ASSERT_TRUE(canvas.Ready());
    canvas.Fill(Unpainted);
    for (int i = 0; i < 4; ++i)
        Draw(menu, canvas, i, i == 3 ? ODS_GRAYED : 0);

    const int bar = SideBarWidth();
    const int check = GetSystemMetrics(SM_CXMENUCHECK);
    // The side bar runs from the gradient colour at the top to the caption
    // colour at the bottom, across the separator too.
    EXPECT_TRUE(Near(canvas.At(bar - 1, 0), GetSysColor(COLOR_GRADIENTACTIVECAPTION), 8));
    EXPECT_TRUE(Near(canvas.At(bar - 1, menu.height - 1), GetSysColor(COLOR_ACTIVECAPTION), 8));
    EXPECT_NE(canvas.At(bar - 1, menu.tops[1]), Unpainted);
    // The name is written in the bar.
    EXPECT_TRUE(AnyPixel(
        canvas, RECT{0, 0, bar, menu.height}, [](COLORREF a, COLORREF b) { return Near(a, b, 40); },
        GetSysColor(COLOR_HIGHLIGHTTEXT)));

    // The separator: an etched line half-way down its own short row, nothing else.
    const int line = menu.tops[1] + static_cast<int>(menu.measured[1].itemHeight) / 2 - 1;
    EXPECT_EQ(canvas.At(bar + 10, line), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.At(bar + 10, line + 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.At(bar + 10, menu.tops[1]), Unpainted);

    // The check mark sits in the band right of the side bar; the unchecked
    // items have none.
    const COLORREF menuColour = GetSysColor(COLOR_MENU);
    const RECT checkedBand{bar + 2, menu.tops[2], bar + 2 + check, menu.tops[3]};
    EXPECT_TRUE(AnyPixel(canvas, checkedBand, Differs, menuColour));
    const RECT greyBand{bar + 2, menu.tops[3], bar + 2 + check, menu.height};
    EXPECT_FALSE(AnyPixel(canvas, greyBand, Differs, menuColour));
    const RECT openBand{bar + 2, menu.tops[0], bar + 2 + check, menu.tops[1]};
    EXPECT_FALSE(AnyPixel(canvas, openBand, Differs, menuColour));

    // The shortcut ends at the right edge less the check width.
    const RECT rightMargin{menu.width - check, menu.tops[0], menu.width, menu.tops[1]};
    EXPECT_FALSE(AnyPixel(canvas, rightMargin, Differs, menuColour));
    const RECT shortcutEnd{menu.width - check - 12, menu.tops[0], menu.width - check, menu.tops[1]};
    EXPECT_TRUE(AnyPixel(canvas, shortcutEnd, Same, GetSysColor(COLOR_MENUTEXT)));

    // The grey item is embossed: highlight and shadow text.
    const RECT greyText{bar + check + 3, menu.tops[3], menu.width, menu.height};
    EXPECT_TRUE(AnyPixel(canvas, greyText, Same, GetSysColor(COLOR_BTNSHADOW)));
    EXPECT_TRUE(AnyPixel(canvas, greyText, Same, GetSysColor(COLOR_BTNHIGHLIGHT)));

    // Selected, the checked item's check band lies on the caption colour.
    Draw(menu, canvas, 2, ODS_SELECTED);
    EXPECT_TRUE(AnyPixel(canvas, checkedBand, Same, GetSysColor(COLOR_ACTIVECAPTION)));
    EXPECT_TRUE(AnyPixel(canvas, checkedBand, Differs, GetSysColor(COLOR_ACTIVECAPTION)));
    DestroyMenu(menu.popup);
}

// A name longer than a short popup is high is written smaller: the
// whole name lies in the bar, clear of its top edge.
TEST(OwnerMenu, SideBarNameFitsAShortPopup)
{
    DrawnMenu menu = MakeMenu();
    ASSERT_EQ(ConvertMenuToOwnerDraw(menu.popup, L"Brannock Tools and a longer name"), 1);
    Measure(menu);
    Canvas canvas(menu.width, menu.height);
    ASSERT_TRUE(canvas.Ready());
    for (int i = 0; i < 4; ++i)
        Draw(menu, canvas, i, 0);
    const auto nameColour = [](COLORREF a, COLORREF b) { return Near(a, b, 40); };
    const int bar = SideBarWidth();
    const COLORREF text = GetSysColor(COLOR_HIGHLIGHTTEXT);
    EXPECT_TRUE(AnyPixel(canvas, RECT{0, menu.height / 2, bar, menu.height}, nameColour, text));
    EXPECT_FALSE(AnyPixel(canvas, RECT{0, 0, bar, 2}, nameColour, text)) << "the name runs off the top";
    DestroyMenu(menu.popup);
}

int TextWidthIn(const LOGFONTW& face, const wchar_t* text)
{
    HDC screen = GetDC(nullptr);
    HFONT font = CreateFontIndirectW(&face);
    HGDIOBJ old = SelectObject(screen, font);
    SIZE size{};
    GetTextExtentPoint32W(screen, text, lstrlenW(text), &size);
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    return size.cx;
}

// Puts the system's non-client metrics back when the test ends.
class SavedMetrics {
public:
    SavedMetrics()
    {
        saved_.cbSize = sizeof saved_;
        ready_ = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof saved_, &saved_, 0) != FALSE;
    }
    ~SavedMetrics()
    {
        if (ready_)
            SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof saved_, &saved_, 0);
    }
    SavedMetrics(const SavedMetrics&) = delete;
    SavedMetrics& operator=(const SavedMetrics&) = delete;
    bool Ready() const { return ready_; }
    const NONCLIENTMETRICSW& Saved() const { return saved_; }

private:
    NONCLIENTMETRICSW saved_{};
    bool ready_ = false;
};

TEST(OwnerMenu, MeasuresAndDrawsInTheSystemMenuFont)
{
    SavedMetrics metrics;
    ASSERT_TRUE(metrics.Ready());
    NONCLIENTMETRICSW large = metrics.Saved();
    large.lfMenuFont.lfHeight = -30; // far from the GUI font
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof large, &large, 0));
    // The font as the system keeps it.
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof large, &large, 0));
    DrawnMenu menu = MakeMenu();
    ASSERT_EQ(ConvertMenuToOwnerDraw(menu.popup, L"Test"), 1);
    Measure(menu);
    const LOGFONTW& face = large.lfMenuFont;
    const int check = GetSystemMetrics(SM_CXMENUCHECK);
    // Widest label (before a tab, or the whole text) plus widest shortcut.
    const int label =
        std::max({TextWidthIn(face, L"&Open"), TextWidthIn(face, L"&Checked"), TextWidthIn(face, L"&Grey")});
    const int textWidth = std::max(TextWidthIn(face, L"&Open\tCtrl+O"), label + TextWidthIn(face, L"Ctrl+O"));
    EXPECT_EQ(static_cast<int>(menu.measured[0].itemWidth), SideBarWidth() + 2 * (check + 4) + 1 + textWidth);

    // The drawn label runs as far as the menu font makes it, well past
    // where the GUI font would end it.
    Canvas canvas(menu.width, menu.height);
    ASSERT_TRUE(canvas.Ready());
    canvas.Fill(Unpainted);
    Draw(menu, canvas, 2, 0);
    LOGFONTW gui{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
    const int textLeft = SideBarWidth() + check + 3;
    const int guiEnd = textLeft + TextWidthIn(gui, L"Checked");
    const int menuEnd = textLeft + TextWidthIn(face, L"Checked");
    ASSERT_GT(menuEnd, guiEnd + 10);
    EXPECT_TRUE(
        AnyPixel(canvas, RECT{guiEnd + 5, menu.tops[2], menuEnd, menu.tops[3]}, Same, GetSysColor(COLOR_MENUTEXT)));
    DestroyMenu(menu.popup);
}

// The check marks of the Options menu come from the settings file and
// follow each toggle, which stores the flag.
TEST(OptionsMenu, CheckMarksShowTheStoredFlagsAndFollowEachToggle)
{
    wchar_t folder[MAX_PATH] = L"";
    ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
    SettingsPath = std::wstring(folder) + L"quenzel-menu-" + std::to_wstring(GetCurrentProcessId()) + L".ini";
    ASSERT_TRUE(WritePrivateProfileStringW(L"OPTIONS", L"OnTop", L"1", SettingsPath.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"OPTIONS", L"ClearFont", L"1", SettingsPath.c_str()));
    MainWindow =
        CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(MainWindow, nullptr);
    BuildMainMenu();
    ASSERT_NE(MainMenu(), nullptr);
    struct Row {
        int command;
        FlagSetting option;
        const wchar_t* key; // as the file holds it
        bool storedAtStart;
    };
    for (const Row row :
         {Row{CMD_ON_TOP, setting::OnTop, L"OnTop", true}, Row{CMD_MAGNET, setting::Magnet, L"Magnet", false},
          Row{CMD_CLEAR_FONT, setting::ClearFont, L"ClearFont", true}}) {
        const auto checked = [&] { return (GetMenuState(MainMenu(), row.command, MF_BYCOMMAND) & MF_CHECKED) != 0; };
        EXPECT_EQ(checked(), row.storedAtStart) << row.command;
        ToggleOption(row.command, row.option);
        EXPECT_EQ(checked(), !row.storedAtStart) << row.command;
        EXPECT_EQ(GetPrivateProfileIntW(L"OPTIONS", row.key, -1, SettingsPath.c_str()), row.storedAtStart ? 0 : 1)
            << row.command;
    }
    DestroyWindow(MainWindow);
    MainWindow = nullptr;
    DeleteFileW(SettingsPath.c_str());
}

int ColourChanges = 0;

LRESULT CALLBACK CountColourChanges(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSCOLORCHANGE)
        ++ColourChanges;
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(MainWindowProc, PassesAColourOrThemeChangeToEveryControl)
{
    WNDCLASSW main{};
    main.lpfnWndProc = MainWindowProc;
    main.lpszClassName = L"QuenzelTestMain";
    WNDCLASSW child{};
    child.lpfnWndProc = CountColourChanges;
    child.lpszClassName = L"QuenzelTestControl";
    ASSERT_TRUE(RegisterClassW(&main));
    ASSERT_TRUE(RegisterClassW(&child));
    HWND window =
        CreateWindowExW(0, main.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    for (int id = 1; id <= 3; ++id)
        CreateWindowExW(0, child.lpszClassName, L"", WS_CHILD, 0, 0, 10, 10, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    SendMessageW(window, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(ColourChanges, 3);
    // A new theme (high contrast on or off) reaches them the same way.
    SendMessageW(window, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    EXPECT_EQ(ColourChanges, 6);
    // Destroyed without the main window's own ending, which quits the thread.
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcW));
    DestroyWindow(window);
}

// Two report lists in a hidden window, as the pages hold them.
class ListWindow {
public:
    ListWindow()
    {
        parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr, nullptr, nullptr);
        for (HWND& list : lists_) {
            list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 300, 200, parent_, nullptr,
                                   nullptr, nullptr);
            for (int column = 0; column < 2; ++column) {
                LVCOLUMNW c{};
                c.mask = LVCF_WIDTH;
                c.cx = 100;
                SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&c));
            }
        }
    }
    ~ListWindow() { DestroyWindow(parent_); }
    ListWindow(const ListWindow&) = delete;
    ListWindow& operator=(const ListWindow&) = delete;

    HWND List(int i) const { return lists_[i]; }
    void Add(int i, const wchar_t* first, const wchar_t* second)
    {
        const int row = static_cast<int>(SendMessageW(lists_[i], LVM_GETITEMCOUNT, 0, 0));
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(first);
        SendMessageW(lists_[i], LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = const_cast<wchar_t*>(second);
        SendMessageW(lists_[i], LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }
    std::wstring Column(int i, int column) const
    {
        std::wstring all;
        const int rows = static_cast<int>(SendMessageW(lists_[i], LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row) {
            wchar_t text[64] = L"";
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = 64;
            SendMessageW(lists_[i], LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
            all += (row ? L"," : L"") + std::wstring(text);
        }
        return all;
    }

private:
    HWND parent_ = nullptr;
    HWND lists_[2] = {};
};

TEST(ColumnSort, OneDirectionFlagForEveryList)
{
    ListWindow window;
    window.Add(0, L"b", L"9");
    window.Add(0, L"A", L"10");
    window.Add(0, L"c", L"2");
    // Two rows: Wine's list view hands the comparison drifting indexes while
    // it merges three or more rows in some orders.
    window.Add(1, L"x", L"");
    window.Add(1, L"Z", L"");
    SortColumnAscending = 1;

    SortListByColumn(window.List(0), 0);
    EXPECT_EQ(window.Column(0, 0), L"A,b,c");
    SortListByColumn(window.List(0), 0);
    EXPECT_EQ(window.Column(0, 0), L"c,b,A");
    // Numbers sort as text: "10" before "2" before "9".
    SortListByColumn(window.List(0), 1);
    EXPECT_EQ(window.Column(0, 1), L"10,2,9");
    // The next click, on the other list, sorts it descending.
    SortListByColumn(window.List(1), 0);
    EXPECT_EQ(window.Column(1, 0), L"Z,x");
    EXPECT_EQ(SortColumnAscending, 1);
}

TEST(TabControl, SixTabsInThePagesNormalFont)
{
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 800, 500, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    NormalFont = CreateFontW(13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    ASSERT_TRUE(CreateTabControl(parent));
    EXPECT_EQ(SendMessageW(TabControl(), TCM_GETITEMCOUNT, 0, 0), 6);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(TabControl(), WM_GETFONT, 0, 0)), NormalFont);
    DestroyWindow(parent);
    DeleteObject(NormalFont);
    NormalFont = nullptr;
}

} // namespace
