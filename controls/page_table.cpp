#include "controls/page_table.h"

#include "base/dpi.h"
#include "base/fonts.h"
#include "base/handles.h"
#include "base/high_contrast.h"
#include "base/language.h"
#include "base/pictures.h"
#include "base/process.h"

#include "controls/button_ex.h"

#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace quenzel {

namespace {
HMENU ControlIdHandle(int id)
{
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

std::wstring ControlText(const ControlSpec& row)
{
    if (row.textKey != 0)
        return LangString(row.textKey);
    return row.text ? row.text : L"";
}

HFONT FontOf(ControlFont font)
{
    switch (font) {
    case ControlFont::Normal:
        return NormalFont;
    case ControlFont::Bold:
        return BoldFont;
    case ControlFont::None:
        break;
    }
    return nullptr;
}

// Every table made, so a change of DPI can lay all pages out again.
std::vector<PageTable> MadeTables;

// The row's rectangle in device pixels of the parent's DPI; a row of its
// own size (0 × 0) keeps it.
DesignRect DevicePlace(const ControlRect& place, int dpi)
{
    const bool ownSize = place.width == 0 && place.height == 0;
    DesignRect device = ScaleRectToDpi({place.x, place.y, place.width, place.height}, dpi);
    if (ownSize)
        device.width = device.height = 0;
    return device;
}

bool IsRadioRow(const ControlSpec* row)
{
    if (!row || row->kind != ControlKind::Window || lstrcmpiW(row->className, L"BUTTON") != 0)
        return false;
    const DWORD type = row->style & BS_TYPEMASK;
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// Whether the keyboard reaches the row's control with Tab: fields, lists,
// sliders and every button but a group box.
bool IsTabStopRow(const ControlSpec& row)
{
    if (row.kind == ControlKind::ButtonEx)
        return true;
    if (lstrcmpiW(row.className, L"EDIT") == 0 || lstrcmpiW(row.className, WC_LISTVIEWW) == 0
        || lstrcmpiW(row.className, TRACKBAR_CLASSW) == 0)
        return true;
    return lstrcmpiW(row.className, L"BUTTON") == 0 && (row.style & BS_TYPEMASK) != BS_GROUPBOX;
}

// The keyboard's styles: a tab stop where the user acts, and a new group
// at every control but a radio button that follows one, so the arrow keys
// move only between the radio buttons made one after the other.
DWORD KeyboardStyle(const ControlSpec& row, const ControlSpec* previous)
{
    const DWORD tabStop = IsTabStopRow(row) ? WS_TABSTOP : 0;
    const bool continuesGroup = IsRadioRow(&row) && IsRadioRow(previous);
    return tabStop | (continuesGroup ? 0 : WS_GROUP);
}

HWND CreatePlainControl(HWND parent, const ControlSpec& row, const ControlSpec* previous, const std::wstring& text,
                        const DesignRect& place)
{
    const DWORD style = WS_CHILD | row.style | KeyboardStyle(row, previous) | (row.visible ? WS_VISIBLE : 0);
    return CreateWindowExW(row.exStyle, row.className, text.c_str(), style, place.x, place.y, place.width, place.height,
                           parent, ControlIdHandle(row.id), Instance, nullptr);
}

HWND CreateButtonExControl(HWND parent, const ControlSpec& row, const std::wstring& text, const DesignRect& place)
{
    // No WS_GROUP: the button's style word uses that bit for its own look.
    const DWORD style = row.style | WS_TABSTOP | (row.visible ? WS_VISIBLE : 0);
    HWND button = CreateButtonEx(text.c_str(), style, place.x, place.y, place.width, place.height, parent, row.id);
    if (button && row.tooltipKey != 0)
        AddButtonExTooltip(button, LangString(row.tooltipKey).c_str());
    return button;
}

// A control's place in the parent's client area, from one DPI to another.
DesignRect RescaledPlace(HWND parent, HWND control, int previousDpi, int dpi)
{
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    const int left = MulDiv(r.left, dpi, previousDpi);
    const int top = MulDiv(r.top, dpi, previousDpi);
    return DesignRect{left, top, MulDiv(r.right, dpi, previousDpi) - left, MulDiv(r.bottom, dpi, previousDpi) - top};
}

bool IsListView(HWND control)
{
    wchar_t className[sizeof WC_LISTVIEWW / sizeof(wchar_t)] = L"";
    return GetClassNameW(control, className, static_cast<int>(std::size(className)))
        && lstrcmpiW(className, WC_LISTVIEWW) == 0;
}

// The fonts made for lists at a new DPI, one per list; a list does not
// delete a font it was given.
std::map<HWND, UniqueGdiObject> ListFonts;

// A list without a font of its row keeps the system's font it started
// with: at a new DPI it gets that font scaled, for its rows and its header.
void RescaleListFont(HWND control, int previousDpi, int dpi)
{
    LOGFONTW font{};
    const auto current = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (!current || !GetObjectW(current, sizeof font, &font))
        return;
    font.lfHeight = MulDiv(font.lfHeight, dpi, previousDpi);
    UniqueGdiObject scaled(CreateFontIndirectW(&font));
    if (!scaled)
        return;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(scaled.Get()), TRUE);
    ListFonts[control] = std::move(scaled);
}

// A list's columns keep their share of the list at a new DPI.
void RescaleListColumns(HWND control, int previousDpi, int dpi)
{
    if (previousDpi == dpi || !IsListView(control))
        return;
    HWND header = reinterpret_cast<HWND>(SendMessageW(control, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < columns; ++i) {
        const int width = static_cast<int>(SendMessageW(control, LVM_GETCOLUMNWIDTH, i, 0));
        SendMessageW(control, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(MulDiv(width, dpi, previousDpi), 0));
    }
}

// The static's kind from now on: its picture, or the plain frame drawn by
// DrawPageArt.
void ShowArtAs(HWND control, DWORD type)
{
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const LONG wanted = static_cast<LONG>((static_cast<DWORD>(style) & ~static_cast<DWORD>(SS_TYPEMASK)) | type);
    if (style != wanted)
        SetWindowLongW(control, GWL_STYLE, wanted);
}

// A picture of its own size keeps that size as a frame.
void SizeLikeBitmap(HWND control, int bitmapId, int dpi)
{
    RECT r{};
    GetClientRect(control, &r);
    if (r.right > 0 && r.bottom > 0)
        return;
    UniqueGdiObject bitmap(static_cast<HGDIOBJ>(LoadBitmapAtDpi(bitmapId, dpi)));
    BITMAP size{};
    if (bitmap && GetObjectW(bitmap.Get(), sizeof size, &size))
        SetWindowPos(control, nullptr, 0, 0, size.bmWidth, size.bmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// In high contrast the decorative pictures (the strips, the banner) give
// way to a plain frame in the theme's colours.
void ReplaceArtByFrame(HWND control)
{
    if (HGDIOBJ old = reinterpret_cast<HGDIOBJ>(SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, 0)))
        DeleteObject(old);
    ShowArtAs(control, SS_OWNERDRAW);
    InvalidateRect(control, nullptr, TRUE);
}

bool IsArt(const ControlSpec& row)
{
    return row.kind == ControlKind::Window && row.imageId != 0 && (row.style & SS_TYPEMASK) == SS_BITMAP;
}

// Pictures of statics (bitmap or icon) and ButtonEx icons, made for the
// DPI from the drawing for its scale; the handles live as long as the
// controls, that is, as long as the process. A row without an icon size
// takes the icon's own size at 96 dpi.
void SetControlImage(HWND control, const ControlSpec& row, int dpi)
{
    if (row.imageId == 0)
        return;
    if (IsArt(row) && HighContrastOn()) {
        SizeLikeBitmap(control, row.imageId, dpi);
        ReplaceArtByFrame(control);
        return;
    }
    const int iconSize = ScaleToDpi(row.imageSize != 0 ? row.imageSize : DesignIconSize(row.imageId), dpi);
    if (row.kind == ControlKind::ButtonEx) {
        HICON icon = LoadIconAtSize(row.imageId, iconSize);
        if (!icon)
            return;
        // The first icon given is the normal one: the one for the old DPI goes first.
        auto old = reinterpret_cast<HICON>(SendMessageW(control, BM_GETIMAGE, IMAGE_ICON, 0));
        SendMessageW(control, BXM_CLEARIMAGES, 1, 0);
        SendMessageW(control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        if (old)
            DestroyIcon(old);
        return;
    }
    const DWORD imageType = row.style & SS_TYPEMASK;
    if (imageType == SS_BITMAP) {
        ShowArtAs(control, SS_BITMAP);
        HBITMAP bitmap = LoadBitmapAtDpi(row.imageId, dpi);
        if (bitmap)
            if (HGDIOBJ old = reinterpret_cast<HGDIOBJ>(
                    SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap))))
                DeleteObject(old);
    } else if (imageType == SS_ICON) {
        HICON icon = LoadIconAtSize(row.imageId, iconSize);
        if (icon)
            if (HICON old = reinterpret_cast<HICON>(
                    SendMessageW(control, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon))))
                DestroyIcon(old);
    }
}
} // namespace

bool CreatePageControls(HWND parent, const PageTable& table)
{
    MadeTables.push_back(table);
    const int dpi = WindowDpi(parent);
    bool allMade = true;
    for (std::size_t i = 0; i < table.count; ++i) {
        const ControlSpec& row = table.rows[i];
        const std::wstring text = ControlText(row);
        const DesignRect place = DevicePlace(row.place, dpi);
        const ControlSpec* previous = i > 0 ? &table.rows[i - 1] : nullptr;
        HWND control = row.kind == ControlKind::ButtonEx ? CreateButtonExControl(parent, row, text, place)
                                                         : CreatePlainControl(parent, row, previous, text, place);
        if (!control) {
            allMade = false;
            continue;
        }
        if (HFONT font = FontOf(row.font))
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SetControlImage(control, row, dpi);
    }
    return allMade;
}

void LayOutPageControls(HWND parent, int previousDpi, int dpi)
{
    for (const PageTable& table : MadeTables) {
        for (std::size_t i = 0; i < table.count; ++i) {
            const ControlSpec& row = table.rows[i];
            HWND control = GetDlgItem(parent, row.id);
            if (!control)
                continue;
            // A row without a place is placed by its page: it keeps its place, scaled.
            const bool placedByPage =
                row.place.width == 0 && row.place.height == 0 && row.place.x == 0 && row.place.y == 0;
            const DesignRect place =
                placedByPage ? RescaledPlace(parent, control, previousDpi, dpi) : DevicePlace(row.place, dpi);
            SetWindowPos(control, nullptr, place.x, place.y, place.width, place.height,
                         SWP_NOZORDER | SWP_NOACTIVATE | (place.width == 0 ? SWP_NOSIZE : 0));
            // The program's buttons take the pages' font unless their row names one.
            HFONT font =
                row.kind == ControlKind::ButtonEx && row.font == ControlFont::None ? NormalFont : FontOf(row.font);
            if (font)
                SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            else if (previousDpi != dpi && IsListView(control))
                RescaleListFont(control, previousDpi, dpi);
            SetControlImage(control, row, dpi);
            RescaleListColumns(control, previousDpi, dpi);
            RemakeListIcons(control, dpi);
        }
    }
}

void ShowPageControls(HWND parent, const PageTable& table, int showCommand)
{
    for (std::size_t i = 0; i < table.count; ++i) {
        const ControlSpec& row = table.rows[i];
        if (row.shownWhen && !row.shownWhen())
            continue;
        if (HWND control = GetDlgItem(parent, row.id))
            ShowWindow(control, showCommand);
    }
}

void RefreshPageArt(HWND parent)
{
    const int dpi = WindowDpi(parent);
    for (const PageTable& table : MadeTables)
        for (std::size_t i = 0; i < table.count; ++i)
            if (IsArt(table.rows[i]))
                if (HWND control = GetDlgItem(parent, table.rows[i].id)) {
                    SetControlImage(control, table.rows[i], dpi);
                    InvalidateRect(control, nullptr, TRUE);
                }
}

int DrawPageArt(const DRAWITEMSTRUCT* draw)
{
    if (!draw || draw->CtlType != ODT_STATIC)
        return 0;
    RECT area = draw->rcItem;
    FillRect(draw->hDC, &area, GetSysColorBrush(COLOR_BTNFACE));
    FrameRect(draw->hDC, &area, GetSysColorBrush(COLOR_BTNTEXT));
    return 1;
}

void OrderTabStops(HWND parent, const int* ids, std::size_t count)
{
    HWND previous = count > 0 ? GetDlgItem(parent, ids[0]) : nullptr;
    for (std::size_t i = 1; i < count && previous; ++i) {
        HWND control = GetDlgItem(parent, ids[i]);
        if (!control)
            continue;
        SetWindowPos(control, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
        previous = control;
    }
}

} // namespace quenzel
