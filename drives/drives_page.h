// Tab 5: the folder drives, their five commands and the log-on option.
#pragma once

#include <windows.h>

namespace quenzel {

void DrivesPage_Create(HWND parent);
void DrivesPage_Show(int showCommand);
void DrivesPage_OnCommand(int id);

} // namespace quenzel
