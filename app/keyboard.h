// The main window by keyboard: the dialog manager walks its controls (Tab,
// Shift+Tab, arrow keys, Alt+letter), Ctrl+Tab changes tabs, and the focus
// comes back to its control when the window is activated again.
#pragma once

#include <windows.h>

namespace quenzel {

// Handles a message of the message loop meant for the main window or one of
// its controls; true when it was handled (translated and dispatched too).
bool HandleMainWindowKey(MSG& msg);

// WM_NEXTDLGCTL of the main window, sent by the dialog manager: wParam a
// control (lParam non-zero) or whether to go back (lParam zero).
void MoveFocusOnRequest(HWND window, WPARAM wParam, LPARAM lParam);

// WM_ACTIVATE: the focused control is kept while the window is inactive
// and given the focus again when it is activated; true when it was.
bool KeepFocusOnActivate(HWND window, WPARAM wParam);

// Hides the focus cues until the keyboard is used.
void HideFocusCuesAtStart(HWND window);

} // namespace quenzel
