// The main window by keyboard: the dialog manager walks its controls (Tab,
// Shift+Tab, arrow keys, Alt+letter) and Ctrl+Tab changes tabs.
#pragma once

#include <windows.h>

namespace quenzel {

// True when the message is meant for the main window or one of its controls.
bool IsMainWindowMessage(const MSG& msg);

// Handles a message of the message loop meant for the main window or one of
// its controls; true when it was handled (translated and dispatched too).
bool HandleMainWindowKey(MSG& msg);

// WM_NEXTDLGCTL of the main window, sent by the dialog manager: wParam a
// control (lParam non-zero) or whether to go back (lParam zero).
void MoveFocusOnRequest(HWND window, WPARAM wParam, LPARAM lParam);

// Hides the focus cues until the keyboard is used.
void HideFocusCuesAtStart(HWND window);

} // namespace quenzel
