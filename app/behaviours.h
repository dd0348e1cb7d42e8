// How the main window behaves on the desktop: on top, magnet, transparency,
// and the option flags of the Options menu.
#pragma once

#include "base/setting_keys.h"

#include <windows.h>

namespace quenzel {

// Puts the main window above other windows when the on-top option is set.
void ApplyOnTop();
// Makes the window layered with the given opacity percent (low 8 bits);
// 0 removes the layered style.
void ApplyTransparency(HWND window, int percent);
// Flips the option and the check mark of the menu item `commandId`; false
// (told to the user) when the file could not be written.
bool ToggleOption(int commandId, const FlagSetting& option);
// The magnet option: a dragged window is pulled to the screen edges.
extern bool MagnetEnabled;
// Re-reads the magnet option into MagnetEnabled.
void ReadMagnetOption();
// Pulls a dragged window rectangle to the screen edges it moves towards;
// false (nothing changed) when the work area cannot be read.
bool SnapToEdges(RECT* proposed);

// The transparency dialog (live preview, stored on OK) and the About box.
void ShowTransparencyDialog();
void ShowAboutBox(HWND owner);

} // namespace quenzel
