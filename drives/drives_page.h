// Tab 5: the folder drives, their five commands and the log-on option.
#pragma once

#include <windows.h>

namespace quenzel {

void FolderDrivesPage_Create(HWND parent);
void FolderDrivesPage_Show(int showCommand);
void FolderDrivesPage_OnCommand(int id);

} // namespace quenzel
