// The folder page (tab 2): every file below a folder encrypted or decrypted.
#pragma once

#include <windows.h>

namespace quenzel {

void FolderPage_Create(HWND parent);
void FolderPage_Show(int showCommand);
void FolderPage_OnCommand(int id);

// Asks for a folder and lists every file below it in the folder list.
void GatherFolder();

} // namespace quenzel
