// Owner-drawn popup menus: a gradient side bar with the popup's name written
// upwards, system menu colours, embossed grey items, right-aligned shortcuts
// and check marks.
#pragma once

#include <windows.h>

namespace quenzel {

// Makes every item of the popup owner-drawn; 1 on success, 0 when the popup
// has no items or its records cannot be allocated (it stays system-drawn).
int ConvertMenuToOwnerDraw(HMENU popup, const wchar_t* name);

// The DPI of the window the menus belong to: popups converted from then on
// are measured and drawn for it (until told, the system DPI).
void SetOwnerMenuDpi(int dpi);

// Gives back what ConvertMenuToOwnerDraw kept for the popup (its records
// and side bar), before the popup is destroyed.
void ReleaseOwnerDrawMenu(HMENU popup);

// WM_MEASUREITEM and WM_DRAWITEM of the owner window: 1 when the item is one
// of ours and was handled, else 0.
int MeasureMenuItem(WPARAM wParam, MEASUREITEMSTRUCT* measure);
int DrawMenuItem(WPARAM wParam, const DRAWITEMSTRUCT* draw);

// WM_MENUCHAR of the owner window: the system cannot see the underlined
// letters of owner-drawn items, so a key is matched here (any case). One
// item with that letter is chosen (MNC_EXECUTE); of several, the next after
// the highlighted one is highlighted (MNC_SELECT). 0 when no item of ours
// has it, for DefWindowProc to answer.
LRESULT AnswerMenuChar(wchar_t key, UINT menuFlags, HMENU menu);

} // namespace quenzel
