// The main window: its class, creation, sizing and window procedure.
#pragma once

#include <windows.h>

#include "app/command_line.h"

namespace quenzel {

bool RegisterMainWindowClass(HINSTANCE instance);
// Creates the main window and everything in it; false when the process is
// to end at once (creation failed, or the log-on start ran).
bool CreateMainWindow(HINSTANCE instance, const StartRequest& request, int showCommand);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace quenzel
