// The folder page (tab 2): every file below a folder encrypted or decrypted.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quenzel {

void FolderPage_Create(HWND parent);
void FolderPage_Show(int showCommand);
void FolderPage_OnCommand(int id);
// Dropped paths: one folder is listed as a chosen one is.
void FolderPage_OnDrop(const std::vector<std::wstring>& paths);
// A folder into the source field, the list left alone (a slot's use button,
// the shredder's add folder); false, with the field unchanged, while the
// page's work runs.
bool FolderPage_SetSource(const std::wstring& root);

// Asks for a folder and lists every file below it in the folder list; the
// caller holds the page's work lock.
void GatherFolder();
// Lists every file below `root` in the folder list (on a worker, or on the
// window's thread after "..."), the page's work lock held.
void ListFolder(const std::wstring& root);

} // namespace quenzel
