// The file page (tab 1): one file encrypted or decrypted, with the key
// controls that both encryption pages share.
#pragma once

#include <windows.h>

namespace quenzel {

// Creates the key controls and the file page's controls (hidden), sets the
// key controls' stored state and registers the page.
void FilePage_Create(HWND parent);
void FilePage_Show(int showCommand);
void FilePage_OnCommand(int id);

// The source chooser: an existing file into the source field, its size in
// the page text and its first bytes in the preview.
void ChooseSourceFile();

} // namespace quenzel
