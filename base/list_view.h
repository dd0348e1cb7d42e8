// The set-up every page's report list shares: its extended style, its row
// icon and its columns, each header from the language file and each width
// scaled to the list's DPI.
#pragma once

#include <windows.h>

#include <cstddef>

namespace quenzel {

// A width that takes what the other columns leave of the list's width (at
// least `MinRestWidth`), so the last columns are in view without scrolling.
inline constexpr int RestOfWidth = -1;
inline constexpr int MinRestWidth = 80;

struct ListColumn {
    int headerKey;
    int width; // design pixels (96 dpi), or RestOfWidth
};

struct ListLook {
    DWORD exStyle; // LVS_EX_ flags
    int iconId;    // the one small icon every row shows
    int iconSize;  // in design pixels
};

void SetUpListView(HWND list, const ListLook& look, const ListColumn* columns, size_t count);
template <size_t N>
void SetUpListView(HWND list, const ListLook& look, const ListColumn (&columns)[N])
{
    SetUpListView(list, look, columns, N);
}

} // namespace quenzel
