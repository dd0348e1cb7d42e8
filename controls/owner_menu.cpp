#include "controls/owner_menu.h"

#include "base/dpi.h"
#include "base/handles.h"
#include "base/high_contrast.h"

#include <oleacc.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>

namespace quenzel {

namespace {
// Identifies a menu item's data as one of our records.
constexpr unsigned char MenuItemTag[16] = {0x9E, 0x03, 0xDE, 0x44, 0xAC, 0x73, 0x25, 0x40,
                                           0xA3, 0x3F, 0x99, 0x07, 0x0C, 0x4E, 0x40, 0x23};
constexpr int MenuTextLength = 64;
constexpr int CheckPadExtra = 4;
constexpr int ItemHeightExtra = 2;
constexpr int SideBarPoints = 16;
constexpr int PointsPerInch = 72;
constexpr int SideBarMargin = 4;
constexpr int SideBarTextX = 2;
constexpr int SideBarTextBottomGap = 4;
constexpr int UpwardsEscapement = 900; // tenths of a degree
constexpr int SideBarFontWeight = 600;
constexpr int CheckBandGap = 2;
constexpr int TextIndentExtra = 3;
constexpr wchar_t SideBarFace[] = L"Microsoft Sans Serif";

struct MenuItemRecord {
    // Screen readers find an owner-drawn item's text here: it must open the
    // item data.
    MSAAMENUINFO msaa;
    unsigned char tag[sizeof MenuItemTag];
    HBITMAP sideBar;
    UINT type;
    INT sideBarOffset;
    UINT sideBarWidth;
    UINT height;
    UINT measureWidth;
    UINT fullWidth;
    wchar_t text[MenuTextLength];
};

// The DPI of the window the menus belong to; 0 until it is told: the
// system DPI.
int OwnerDpi = 0;

int MenuDpi()
{
    return OwnerDpi ? OwnerDpi : SystemDpi();
}

// Design pixels of the menus' look at their window's DPI.
int Px(int design)
{
    return ScaleToDpi(design, MenuDpi());
}

int MenuMetric(int index)
{
    return SystemMetricForDpi(index, MenuDpi());
}

// The system's menu font (for the menus' DPI): items are measured and drawn in it, as the
// system draws its own menus. Looked up anew at each conversion, so a
// changed menu font reaches the popups converted after the change.
class MenuFontCache {
public:
    HFONT Refresh()
    {
        NONCLIENTMETRICSW metrics{};
        if (!NonClientMetricsForDpi(metrics, MenuDpi()))
            return Get();
        if (font_ && std::memcmp(&metrics.lfMenuFont, &face_, sizeof face_) == 0)
            return font_;
        HFONT made = CreateFontIndirectW(&metrics.lfMenuFont);
        if (!made)
            return Get();
        // Drawing always selects the current font, so the old one is free.
        if (font_)
            DeleteObject(font_);
        font_ = made;
        face_ = metrics.lfMenuFont;
        return font_;
    }
    // The font of the last conversion; the GUI font until there is one.
    HFONT Get() const { return font_ ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

private:
    HFONT font_ = nullptr;
    LOGFONTW face_{};
};

MenuFontCache MenuFont;

struct TextWidths {
    int label = 0;    // A: widest text before a tab, or whole text without one
    int shortcut = 0; // B: widest text after a tab
    int whole = 0;    // C: widest whole text that holds a tab
};

int TextWidth(HDC dc, const wchar_t* text, int length)
{
    SIZE size{};
    GetTextExtentPoint32W(dc, text, length, &size);
    return size.cx;
}

int Larger(int a, int b)
{
    return a > b ? a : b;
}

void MeasureText(HDC dc, const wchar_t* text, TextWidths& widths)
{
    const int length = lstrlenW(text);
    const wchar_t* tab = std::wcschr(text, L'\t');
    if (!tab) {
        widths.label = Larger(widths.label, TextWidth(dc, text, length));
        return;
    }
    const int before = static_cast<int>(tab - text);
    widths.label = Larger(widths.label, TextWidth(dc, text, before));
    widths.shortcut = Larger(widths.shortcut, TextWidth(dc, tab + 1, length - before - 1));
    widths.whole = Larger(widths.whole, TextWidth(dc, text, length));
}

using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

TRIVERTEX Vertex(LONG x, LONG y, COLORREF colour)
{
    constexpr int Widen = 8; // 8-bit channels to 16 bits
    TRIVERTEX vertex{};
    vertex.x = x;
    vertex.y = y;
    vertex.Red = static_cast<COLOR16>(GetRValue(colour) << Widen);
    vertex.Green = static_cast<COLOR16>(GetGValue(colour) << Widen);
    vertex.Blue = static_cast<COLOR16>(GetBValue(colour) << Widen);
    vertex.Alpha = 0;
    return vertex;
}

// msimg32 comes from the system folder only: a copy planted beside the
// program or in the current folder is never loaded.
bool FillSideBarGradient(HDC dc, int width, int height)
{
    HMODULE library = LoadLibraryExW(L"msimg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!library)
        return false;
    auto gradientFill =
        reinterpret_cast<GradientFillFn>(reinterpret_cast<void*>(GetProcAddress(library, "GradientFill")));
    bool filled = false;
    if (gradientFill) {
        TRIVERTEX vertices[2] = {Vertex(0, 0, GetSysColor(COLOR_GRADIENTACTIVECAPTION)),
                                 Vertex(width, height, GetSysColor(COLOR_ACTIVECAPTION))};
        GRADIENT_RECT rect{0, 1};
        filled = gradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V) != FALSE;
    }
    FreeLibrary(library);
    return filled;
}

// Without the gradient the bar gets the caption colour rather than the
// screen pixels it was copied from; in high contrast, the highlight.
void FillSideBarPlain(HDC dc, int width, int height)
{
    RECT all{0, 0, width, height};
    FillRect(dc, &all, GetSysColorBrush(HighContrastOn() ? COLOR_HIGHLIGHT : COLOR_ACTIVECAPTION));
}

// The side bar's font, written upwards or, for measuring, level.
HFONT CreateSideBarFont(int height, bool upwards)
{
    LOGFONTW font{};
    font.lfHeight = -height;
    font.lfEscapement = upwards ? UpwardsEscapement : 0;
    font.lfOrientation = font.lfEscapement;
    font.lfWeight = SideBarFontWeight;
    font.lfCharSet = ANSI_CHARSET;
    font.lfQuality = ANTIALIASED_QUALITY;
    lstrcpynW(font.lfFaceName, SideBarFace, LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

// The length of the name in the side bar's font of `height` pixels.
int SideBarTextLength(HDC dc, const wchar_t* name, int height)
{
    HFONT font = CreateSideBarFont(height, false);
    if (!font)
        return 0;
    int length = 0;
    {
        SelectedObject selected(dc, font);
        length = TextWidth(dc, name, lstrlenW(name));
    }
    DeleteObject(font);
    return length;
}

// The side bar's font height: the bar's own size, or smaller so that the
// name fits between the bar's bottom gap and its top edge (a short popup,
// a long name).
int SideBarFontHeight(HDC dc, const wchar_t* name, int barHeight)
{
    const int available = barHeight - 2 * Px(SideBarTextBottomGap);
    int height = MulDiv(SideBarPoints, MenuDpi(), PointsPerInch);
    int length = SideBarTextLength(dc, name, height);
    while (length > available && height > 1) {
        // Text shrinks about in step with its font; rounding may need a step more.
        const int fitted = available > 0 ? MulDiv(height, available, length) : 1;
        height = std::max(1, std::min(fitted, height - 1));
        length = SideBarTextLength(dc, name, height);
    }
    return height;
}

bool DrawSideBarCaption(HDC dc, const wchar_t* name, int height)
{
    HFONT font = CreateSideBarFont(SideBarFontHeight(dc, name, height), true);
    if (!font)
        return false;
    bool drawn = false;
    {
        SelectedObject selected(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        drawn = TextOutW(dc, Px(SideBarTextX), height - Px(SideBarTextBottomGap), name, lstrlenW(name)) != FALSE;
    }
    DeleteObject(font);
    return drawn;
}

// The popup's side bar, S wide and as high as all items; null (S = 0)
// when neither the gradient nor the name could be drawn.
HBITMAP MakeSideBar(HDC screen, const wchar_t* name, int totalHeight, int& width)
{
    width = MulDiv(SideBarPoints, MenuDpi(), PointsPerInch) + Px(SideBarMargin);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, totalHeight);
    UniqueMemoryDC memory(CreateCompatibleDC(screen));
    bool gradient = false;
    bool caption = false;
    if (bitmap && memory.Get()) {
        SelectedObject selected(memory.Get(), bitmap);
        BitBlt(memory.Get(), 0, 0, width, totalHeight, screen, 0, 0, SRCCOPY);
        gradient = !HighContrastOn() && FillSideBarGradient(memory.Get(), width, totalHeight);
        if (!gradient)
            FillSideBarPlain(memory.Get(), width, totalHeight);
        caption = DrawSideBarCaption(memory.Get(), name, totalHeight);
    }
    if (bitmap && !gradient && !caption && !HighContrastOn()) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    if (!bitmap)
        width = 0;
    return bitmap;
}

// The item's text for screen readers: the record's own copy.
void DescribeForScreenReaders(MenuItemRecord& record)
{
    record.msaa.dwMSAASignature = static_cast<DWORD>(MSAA_MENU_SIG);
    record.msaa.cchWText = static_cast<DWORD>(lstrlenW(record.text));
    record.msaa.pszWText = record.text;
}

const MenuItemRecord* RecordOf(ULONG_PTR itemData)
{
    const auto* record = reinterpret_cast<const MenuItemRecord*>(itemData);
    if (!record || std::memcmp(record->tag, MenuItemTag, sizeof MenuItemTag) != 0)
        return nullptr;
    return record;
}

void DrawSideBarStrip(HDC dc, const RECT& item, const MenuItemRecord& record)
{
    if (!record.sideBar)
        return;
    const int width = static_cast<int>(record.sideBarWidth);
    const int height = item.bottom - item.top;
    if (record.sideBarOffset < 0) {
        RECT strip{item.left, item.top, item.left + width, item.bottom};
        FillRect(dc, &strip, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return;
    }
    UniqueMemoryDC memory(CreateCompatibleDC(dc));
    if (!memory.Get())
        return;
    SelectedObject selected(memory.Get(), record.sideBar);
    BitBlt(dc, item.left, item.top, width, height, memory.Get(), 0, record.sideBarOffset, SRCCOPY);
}

void DrawSeparator(HDC dc, RECT rect)
{
    rect.top += (rect.bottom - rect.top) / 2 - 1;
    if (HighContrastOn()) {
        rect.bottom = rect.top + 1;
        FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNTEXT));
        return;
    }
    DrawEdge(dc, &rect, EDGE_ETCHED, BF_TOP);
}

// In high contrast the items take the button colours the theme chose, and
// grey items its grey text instead of the embossed look.
int BackgroundIndex(bool selected)
{
    if (HighContrastOn())
        return selected ? COLOR_HIGHLIGHT : COLOR_BTNFACE;
    return selected ? COLOR_ACTIVECAPTION : COLOR_MENU;
}

COLORREF TextColour(bool selected, bool grey)
{
    if (HighContrastOn())
        return GetSysColor(grey ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
    if (selected)
        return GetSysColor(grey ? COLOR_MENU : COLOR_HIGHLIGHTTEXT);
    return GetSysColor(grey ? COLOR_BTNHIGHLIGHT : COLOR_MENUTEXT);
}

void DrawItemText(HDC dc, RECT rect, const wchar_t* text)
{
    constexpr UINT Line = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
    const wchar_t* tab = std::wcschr(text, L'\t');
    if (!tab) {
        DrawTextExW(dc, const_cast<wchar_t*>(text), -1, &rect, Line | DT_LEFT, nullptr);
        return;
    }
    DrawTextExW(dc, const_cast<wchar_t*>(text), static_cast<int>(tab - text), &rect, Line | DT_LEFT, nullptr);
    rect.right -= MenuMetric(SM_CXMENUCHECK);
    DrawTextExW(dc, const_cast<wchar_t*>(tab + 1), -1, &rect, Line | DT_RIGHT, nullptr);
}

// A grey item that is not selected looks pressed into the menu.
void DrawEmbossedText(HDC dc, const RECT& rect, const wchar_t* text, COLORREF background)
{
    RECT raised = rect;
    OffsetRect(&raised, 1, 1);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, background);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawItemText(dc, raised, text);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    DrawItemText(dc, rect, text);
}

void DrawMenuCheck(HDC dc, const RECT& item, int sideBarWidth, COLORREF background)
{
    HBITMAP check = LoadBitmapW(nullptr, MAKEINTRESOURCEW(OBM_CHECK));
    if (!check)
        return;
    BITMAP info{};
    GetObjectW(check, sizeof info, &info);
    const int bandLeft = item.left + sideBarWidth + Px(CheckBandGap);
    const int bandWidth = MenuMetric(SM_CXMENUCHECK);
    const int bandHeight = item.bottom - item.top;
    // Centred in the band; a bitmap larger than the band gives its centre.
    const int width = info.bmWidth < bandWidth ? info.bmWidth : bandWidth;
    const int height = info.bmHeight < bandHeight ? info.bmHeight : bandHeight;
    const int x = bandLeft + (bandWidth - width) / 2;
    const int y = item.top + (bandHeight - height) / 2;
    UniqueMemoryDC memory(CreateCompatibleDC(dc));
    if (memory.Get()) {
        SelectedObject selected(memory.Get(), check);
        SetBkColor(dc, background);
        BitBlt(dc, x, y, width, height, memory.Get(), (info.bmWidth - width) / 2, (info.bmHeight - height) / 2,
               SRCCOPY);
    }
    DeleteObject(check);
}
} // namespace

void SetOwnerMenuDpi(int dpi)
{
    OwnerDpi = dpi;
}

void ReleaseOwnerDrawMenu(HMENU popup)
{
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_DATA;
    if (!popup || !GetMenuItemInfoW(popup, 0, TRUE, &item))
        return;
    // The first item's record starts the popup's array; all share one side bar.
    auto* records = const_cast<MenuItemRecord*>(RecordOf(item.dwItemData));
    if (!records)
        return;
    if (records->sideBar)
        DeleteObject(records->sideBar);
    HeapFree(GetProcessHeap(), 0, records);
}

int ConvertMenuToOwnerDraw(HMENU popup, const wchar_t* name)
{
    const int checkPad = MenuMetric(SM_CXMENUCHECK) + Px(CheckPadExtra);
    const int itemHeight = MenuMetric(SM_CYMENU) + Px(ItemHeightExtra);
    const int separatorHeight = itemHeight >> 1;
    const int count = GetMenuItemCount(popup);
    if (count <= 0)
        return 0;
    // One array per popup, kept as long as the menu (ReleaseOwnerDrawMenu).
    auto* records = static_cast<MenuItemRecord*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(MenuItemRecord) * static_cast<SIZE_T>(count)));
    if (!records)
        return 0;

    WindowDC screen(nullptr);
    int totalHeight = 0;
    TextWidths widths;
    {
        SelectedObject font(screen.Get(), MenuFont.Refresh());
        for (int i = 0; i < count; ++i) {
            MenuItemRecord& record = records[i];
            std::memcpy(record.tag, MenuItemTag, sizeof MenuItemTag);
            MENUITEMINFOW item{};
            item.cbSize = sizeof item;
            item.fMask = MIIM_TYPE;
            item.dwTypeData = record.text;
            item.cch = MenuTextLength;
            GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &item);
            record.text[MenuTextLength - 1] = L'\0';
            DescribeForScreenReaders(record);
            record.type = item.fType;
            record.height = static_cast<UINT>((item.fType & MFT_SEPARATOR) ? separatorHeight : itemHeight);
            totalHeight += static_cast<int>(record.height);
            if (!(item.fType & MFT_SEPARATOR))
                MeasureText(screen.Get(), record.text, widths);
        }
    }
    const int textWidth = Larger(widths.whole, widths.label + widths.shortcut);

    int sideBarWidth = 0;
    HBITMAP sideBar = totalHeight > 0 ? MakeSideBar(screen.Get(), name, totalHeight, sideBarWidth) : nullptr;

    int above = 0;
    for (int i = 0; i < count; ++i) {
        MenuItemRecord& record = records[i];
        record.sideBar = sideBar;
        record.sideBarWidth = static_cast<UINT>(sideBarWidth);
        record.sideBarOffset = above;
        above += static_cast<int>(record.height);
        record.fullWidth = static_cast<UINT>(sideBarWidth + 2 * checkPad + 1 + textWidth);
        record.measureWidth = (record.type & MFT_SEPARATOR) ? 0 : record.fullWidth;
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_TYPE | MIIM_DATA;
        item.fType = MFT_OWNERDRAW | (record.type & MFT_SEPARATOR);
        item.dwItemData = reinterpret_cast<ULONG_PTR>(&record);
        SetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &item);
    }
    return 1;
}

int MeasureMenuItem(WPARAM wParam, MEASUREITEMSTRUCT* measure)
{
    if (wParam != 0 || !measure || measure->CtlType != ODT_MENU)
        return 0;
    const MenuItemRecord* record = RecordOf(measure->itemData);
    if (!record)
        return 0;
    measure->itemHeight = record->height;
    measure->itemWidth = record->measureWidth;
    return 1;
}

int DrawMenuItem(WPARAM wParam, const DRAWITEMSTRUCT* draw)
{
    if (wParam != 0 || !draw || draw->CtlType != ODT_MENU)
        return 0;
    const MenuItemRecord* record = RecordOf(draw->itemData);
    if (!record)
        return 0;
    HDC dc = draw->hDC;
    const RECT& item = draw->rcItem;
    DrawSideBarStrip(dc, item, *record);

    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    const bool grey = (draw->itemState & ODS_GRAYED) != 0;
    RECT rect = item;
    rect.left += static_cast<LONG>(record->sideBarWidth);
    if (record->type & MFT_SEPARATOR) {
        DrawSeparator(dc, rect);
        return 1;
    }

    const COLORREF background = GetSysColor(BackgroundIndex(selected));
    SetBkColor(dc, background);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);

    rect.left += MenuMetric(SM_CXMENUCHECK) + Px(TextIndentExtra);
    rect.top += 1;
    SelectedObject font(dc, MenuFont.Get());
    if (grey && !selected && !HighContrastOn()) {
        DrawEmbossedText(dc, rect, record->text, background);
    } else {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, TextColour(selected, grey));
        DrawItemText(dc, rect, record->text);
    }

    const UINT state = GetMenuState(reinterpret_cast<HMENU>(draw->hwndItem), draw->itemID, MF_BYCOMMAND);
    if (state != static_cast<UINT>(-1) && (state & MF_CHECKED))
        DrawMenuCheck(dc, item, static_cast<int>(record->sideBarWidth), background);
    return 1;
}

namespace {
// The letter after the first single "&" ("&&" is a plain "&"), upper case;
// 0 when there is none.
wchar_t UpperMnemonic(const wchar_t* text)
{
    for (const wchar_t* p = text; *p; ++p) {
        if (*p != L'&')
            continue;
        if (p[1] != L'&')
            return static_cast<wchar_t>(
                reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<wchar_t*>(static_cast<ULONG_PTR>(p[1])))));
        ++p;
    }
    return 0;
}

struct MenuCharMatches {
    int first = -1;
    int afterHighlight = -1;
    int count = 0;
};

MenuCharMatches FindMenuChar(HMENU menu, wchar_t upperKey)
{
    MenuCharMatches matches;
    bool highlightSeen = false;
    const int items = GetMenuItemCount(menu);
    for (int i = 0; i < items; ++i) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_DATA | MIIM_STATE;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item))
            continue;
        const MenuItemRecord* record = RecordOf(item.dwItemData);
        if (record && UpperMnemonic(record->text) == upperKey) {
            matches.first = matches.count++ == 0 ? i : matches.first;
            if (highlightSeen && matches.afterHighlight < 0)
                matches.afterHighlight = i;
        }
        if (item.fState & MFS_HILITE)
            highlightSeen = true;
    }
    return matches;
}
} // namespace

LRESULT AnswerMenuChar(wchar_t key, UINT menuFlags, HMENU menu)
{
    if (!menu || (menuFlags & MF_SYSMENU) || key == 0)
        return 0;
    const wchar_t upperKey = UpperMnemonic((std::wstring(L"&") + key).c_str());
    const MenuCharMatches matches = FindMenuChar(menu, upperKey);
    if (matches.count == 0)
        return 0;
    if (matches.count == 1)
        return MAKELRESULT(matches.first, MNC_EXECUTE);
    return MAKELRESULT(matches.afterHighlight >= 0 ? matches.afterHighlight : matches.first, MNC_SELECT);
}

} // namespace quenzel
