// The file page (tab 1): one file encrypted or decrypted, with the key
// controls that both encryption pages share.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quenzel {

// Creates the key controls and the file page's controls (hidden), sets the
// key controls' stored state and registers the page.
void FilePage_Create(HWND parent);
void FilePage_Show(int showCommand);
void FilePage_OnCommand(int id);
// Dropped paths: one file becomes the source.
void FilePage_OnDrop(const std::vector<std::wstring>& paths);
// A path into the source field as it stands (a slot's use button), with
// its size and name in the page text and its first bytes in the preview;
// a path that names no readable file empties the preview and gives the page
// its own text, without a message. False, with the page unchanged, while
// the page's work runs.
bool FilePage_SetSource(const std::wstring& path);

// The source chooser: an existing file into the source field, shown as
// FilePage_SetSource shows it; the caller holds the page's work lock.
void ChooseSourceFile();
// The same for a path already chosen (a drop, the command line); a file
// that cannot be read is reported.
void PlaceSourceFile(const std::wstring& path);

} // namespace quenzel
