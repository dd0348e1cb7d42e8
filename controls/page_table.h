// A page is a table: every control of a page as one row. Creation and the
// show-and-hide routine walk the same rows, so they can never disagree.
#pragma once

#include <windows.h>

#include <cstddef>

namespace quenzel {

// The font a control gets after creation.
enum class ControlFont { None, Normal, Bold };

// How a control is made: an ordinary window class, or the program's own
// push button (CreateButtonEx, with an optional tooltip).
enum class ControlKind { Window, ButtonEx };

struct ControlRect {
    int x, y, width, height; // client pixels of the main window; 0 × 0 = own size
};

struct ControlSpec {
    int id;
    const wchar_t* className;
    DWORD style;   // WS_CHILD is always added; WS_VISIBLE only through `visible`
    DWORD exStyle;
    ControlRect place;
    int textKey = 0;               // language key of the text, or 0 ...
    const wchar_t* text = nullptr; // ... for this literal text (may be null)
    ControlFont font = ControlFont::None;
    bool visible = false;          // created visible
    ControlKind kind = ControlKind::Window;
    int imageId = 0;               // bitmap (SS_BITMAP) or icon (SS_ICON, ButtonEx) resource
    int imageSize = 0;             // icon size in pixels; 0 = the system's default
    int tooltipKey = 0;            // ButtonEx tooltip, language key
    // Shown only while this holds (e.g. while a job runs); null = always.
    bool (*shownWhen)() = nullptr;
};

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

// Applies a ShowWindow command to every control of the table (rows whose
// `shownWhen` does not hold are left as they are).
void ShowPageControls(HWND parent, const PageTable& table, int showCommand);

} // namespace quenzel
