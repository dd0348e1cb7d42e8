// The main menu, built from the language file.
#pragma once

#include <windows.h>

namespace quenzel {

// Position of the page list (Brannock Tools) in the menu bar.
inline constexpr int PageListMenuPosition = 2;

// Builds the menu bar, attaches it to the main window and makes its six
// popups owner-drawn.
void BuildMainMenu();
HMENU MainMenu();
// Brings a popup's items up to date as it opens (WM_INITMENUPOPUP): Verify
// is grayed while other work runs.
void UpdatePopupStates(HMENU popup);

// Shows the popup at `position` of the window's menu as a context menu at a
// packed screen point (signed 16-bit coordinates).
BOOL ShowContextMenu(HWND window, LPARAM point, int position);

} // namespace quenzel
