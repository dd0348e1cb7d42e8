// The main window: its class, creation, sizing and window procedure.
#pragma once

#include <windows.h>

#include "app/command_line.h"

namespace quenzel {

bool RegisterMainWindowClass(HINSTANCE instance);
// Creates the main window and everything in it; false when the process is
// to end at once (creation failed).
bool CreateMainWindow(HINSTANCE instance, const StartRequest& request, int showCommand);

// The exit code of a log-on start in which something failed.
inline constexpr int LogonFailedExitCode = 1;

// "-x": makes the main window, never shown, maps the ticked folder drives
// and returns the exit code: 0 when all went well, else LogonFailedExitCode.
int RunLogonMode(HINSTANCE instance);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace quenzel
