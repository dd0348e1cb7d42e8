// A page is a table: every control of a page as one row. Creation and the
// show-and-hide routine walk the same rows, so they can never disagree.
#pragma once

#include "controls/button_ex.h"

#include <windows.h>
#include <commctrl.h>

#include <cstddef>

namespace quenzel {

// The font a control gets after creation.
enum class ControlFont { None, Normal, Bold };

// How a control is made: an ordinary window class, or the program's own
// push button (CreateButtonEx, with an optional tooltip).
enum class ControlKind { Window, ButtonEx };

struct ControlRect {
    int x, y, width, height; // design pixels (96 dpi) of the main window's client area; 0 × 0 = own size
};

struct ControlSpec {
    int id;
    const wchar_t* className;
    DWORD style; // WS_CHILD is always added; WS_VISIBLE only through `visible`
    DWORD exStyle;
    ControlRect place;
    int textKey = 0;               // language key of the text, or 0 ...
    const wchar_t* text = nullptr; // ... for this literal text (may be null)
    ControlFont font = ControlFont::None;
    bool visible = false; // created visible
    ControlKind kind = ControlKind::Window;
    int imageId = 0;    // bitmap (SS_BITMAP) or icon (SS_ICON, ButtonEx) resource
    int imageSize = 0;  // icon size in design pixels; 0 = the icon's own size at 96 dpi
    int tooltipKey = 0; // ButtonEx tooltip, language key
    // Shown only while this holds (e.g. while a job runs); null = always.
    bool (*shownWhen)() = nullptr;
};

// The program's own push buttons on the pages: the small "..." buttons
// (caption only), the large buttons with the icon above the caption, and
// buttons that show only their icon; the small icons beside the fields.
inline constexpr DWORD BrowseButtonStyle = BXS_ROUNDED | BS_ICON;
inline constexpr DWORD LargeButtonStyle = BXS_ROUNDED | BXS_IMAGETOP | BS_ICON;
inline constexpr DWORD IconButtonStyle = BXS_ROUNDED | BXS_IMAGEONLY | BS_ICON;
inline constexpr int SmallIconSize = 16;

// Builders of the common rows, so a page's table reads like the list of its
// controls. Every row is created hidden unless made Shown().
constexpr ControlSpec Shown(ControlSpec row)
{
    row.visible = true;
    return row;
}

// A grey frame around a page.
constexpr ControlSpec Frame(int id, ControlRect place)
{
    return ControlSpec{id, L"STATIC", SS_GRAYFRAME, 0, place};
}

// A group box with a bold caption.
constexpr ControlSpec GroupBox(int id, int textKey, ControlRect place)
{
    return ControlSpec{id, L"BUTTON", BS_GROUPBOX, 0, place, textKey, nullptr, ControlFont::Bold};
}

// A text in the pages' font.
constexpr ControlSpec Label(int id, int textKey, ControlRect place, DWORD style = 0)
{
    return ControlSpec{id, L"STATIC", style, 0, place, textKey, nullptr, ControlFont::Normal};
}

constexpr ControlSpec CheckBox(int id, int textKey, ControlRect place, DWORD extraStyle = 0)
{
    return ControlSpec{id, L"button", BS_AUTOCHECKBOX | extraStyle, 0, place, textKey, nullptr, ControlFont::Normal};
}

constexpr ControlSpec RadioButton(int id, int textKey, ControlRect place)
{
    return ControlSpec{id, L"BUTTON", BS_AUTORADIOBUTTON, 0, place, textKey, nullptr, ControlFont::Normal};
}

// The style every one-line field gets: it scrolls sideways, so a path or
// password longer than the field can be typed and seen to its end.
constexpr DWORD FieldStyle(DWORD style)
{
    return (style & ES_MULTILINE) ? style : style | ES_AUTOHSCROLL;
}

// An edit field with a sunken edge, holding `text` at first.
constexpr ControlSpec Field(int id, ControlRect place, DWORD style = 0, const wchar_t* text = nullptr)
{
    return ControlSpec{id, L"EDIT", FieldStyle(style), WS_EX_CLIENTEDGE, place, 0, text, ControlFont::Normal};
}

// A bitmap of the resources.
constexpr ControlSpec Bitmap(int id, int bitmapId, ControlRect place, DWORD extraStyle = 0)
{
    ControlSpec row{id, L"STATIC", SS_BITMAP | extraStyle, 0, place};
    row.imageId = bitmapId;
    return row;
}

// A page's strip: its bitmap across the window below the tab control.
inline constexpr ControlRect StripPlace = {115, 414, 670, 31};
constexpr ControlSpec Strip(int id, int bitmapId)
{
    return Bitmap(id, bitmapId, StripPlace);
}

// An icon of the resources at `size` design pixels (0: its own size at 96 dpi).
constexpr ControlSpec Icon(int id, int iconId, ControlRect place, int size = 0)
{
    ControlSpec row{id, L"static", SS_ICON, 0, place};
    row.imageId = iconId;
    row.imageSize = size;
    return row;
}

// A program push button with a tooltip.
constexpr ControlSpec ButtonEx(int id, DWORD style, int textKey, const wchar_t* text, int iconId, ControlRect place,
                               int tooltipKey)
{
    ControlSpec row{id, L"ButtonExClass", style, 0, place, textKey, text};
    row.kind = ControlKind::ButtonEx;
    row.imageId = iconId;
    row.tooltipKey = tooltipKey;
    return row;
}

// The small "..." button beside a field.
constexpr ControlSpec BrowseButton(int id, ControlRect place, int tooltipKey)
{
    return ButtonEx(id, BrowseButtonStyle, 0, L"...", 0, place, tooltipKey);
}

// A large button: the icon above the caption.
constexpr ControlSpec LargeButton(int id, int textKey, int iconId, ControlRect place, int tooltipKey)
{
    return ButtonEx(id, LargeButtonStyle, textKey, nullptr, iconId, place, tooltipKey);
}

// A progress bar, placed by the page and shown only while `shownWhen` holds.
constexpr ControlSpec ProgressBar(int id, bool (*shownWhen)())
{
    ControlSpec row{id, PROGRESS_CLASSW, 0, 0, {0, 0, 0, 0}};
    row.shownWhen = shownWhen;
    return row;
}

// A bar placed in the page's table, created hidden like every row.
constexpr ControlSpec PlacedProgressBar(int id, ControlRect place)
{
    return ControlSpec{id, PROGRESS_CLASSW, 0, 0, place};
}

// A report list view with a sunken edge, its selection shown while it has
// no focus; `extraStyle` adds, say, LVS_OWNERDATA or LVS_NOCOLUMNHEADER.
constexpr ControlSpec ListView(int id, ControlRect place, DWORD extraStyle = 0)
{
    return ControlSpec{id, WC_LISTVIEWW, LVS_REPORT | LVS_SHOWSELALWAYS | extraStyle, WS_EX_CLIENTEDGE, place};
}

// A horizontal slider (track bar).
constexpr ControlSpec Slider(int id, ControlRect place, DWORD style = 0)
{
    return ControlSpec{id, TRACKBAR_CLASSW, style, 0, place};
}

struct PageTable {
    const ControlSpec* rows;
    std::size_t count;
};

template <std::size_t N>
constexpr PageTable MakePageTable(const ControlSpec (&rows)[N])
{
    return PageTable{rows, N};
}

// True when no id appears twice in the table (checked at compile time by
// each page: static_assert(ControlIdsUnique(table))).
template <std::size_t N>
constexpr bool ControlIdsUnique(const ControlSpec (&rows)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        for (std::size_t j = i + 1; j < N; ++j)
            if (rows[i].id == rows[j].id)
                return false;
    return true;
}

// Creates every control of the table as a child of `parent` (MainWindow),
// addressed by its id; returns false when any of them could not be made.
bool CreatePageControls(HWND parent, const PageTable& table);

// Moves and sizes every control of every table made so far to its row's
// rectangle at `dpi`, and gives it the current fonts and pictures (after a
// change of DPI); rows the page places and list columns keep their share
// (they were set for `previousDpi`).
void LayOutPageControls(HWND parent, int previousDpi, int dpi);

// Shows every page picture again as the theme asks: the picture, or in
// high contrast a plain frame (after the system's settings changed).
void RefreshPageArt(HWND parent);

// WM_DRAWITEM of the parent for a picture shown as a plain frame: 1 when
// drawn, else 0.
int DrawPageArt(const DRAWITEMSTRUCT* draw);

// Applies a ShowWindow command to every control of the table (rows whose
// `shownWhen` does not hold are left as they are).
void ShowPageControls(HWND parent, const PageTable& table, int showCommand);

// Tab and Shift+Tab follow the controls' z-order. Places the controls of
// `ids` in this order in it, each right below the one before (the first
// keeps its place), so a page whose controls were made in another order,
// or shares some with another page, is walked in reading order.
void OrderTabStops(HWND parent, const int* ids, std::size_t count);
template <std::size_t N>
void OrderTabStops(HWND parent, const int (&ids)[N])
{
    OrderTabStops(parent, ids, N);
}

} // namespace quenzel
