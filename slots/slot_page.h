// The slot page (tab 3): nine remembered files and folders, each handed to
// the file or folder page with its "+" button.
#pragma once

#include <windows.h>

namespace quenzel {

// Creates the page's controls (hidden), fills the slots from the settings
// file and registers the page.
void SlotPage_Create(HWND parent);
void SlotPage_Show(int showCommand);
void SlotPage_OnCommand(int id);

// Reads the nine slots from the settings file.
void LoadSlots();

} // namespace quenzel
