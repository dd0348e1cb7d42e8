// The shell's choosers: an output folder, a file for Notepad, a key file.
#pragma once

#include <string>

namespace quenzel {

// The folder picker with the given title; false when nothing was chosen.
bool ChooseFolder(const wchar_t* title, std::wstring& folder);
// File, Open in Notepad: an existing file, starting in "c:\".
bool ChooseFileForNotepad(std::wstring& path);
// The key file of the key controls: an existing file of any length of path.
bool ChooseKeyFile(std::wstring& path);

} // namespace quenzel
