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
// the shredder's add folder).
void FolderPage_SetSource(const std::wstring& root);

// Asks for a folder and lists every file below it in the folder list.
void GatherFolder();
// Lists every file below `root` in the folder list (on a worker).
void ListFolder(const std::wstring& root);
// The same, unless another listing runs (then false, with the page saying
// it is busy).
bool ListFolderAlone(const std::wstring& root);

} // namespace quenzel
