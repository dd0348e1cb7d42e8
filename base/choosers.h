// The shell's choosers: an output folder, a file for Notepad, a key file.
#pragma once

#include <windows.h>

#include <string>

namespace quenzel {

// An open-file dialog owned by the main window for one existing file, with
// the one filter "All files (*.*)" in the interface's language; false when
// nothing was chosen (the name buffer stays empty).
bool ChooseExistingFile(const wchar_t* title, const wchar_t* initialFolder, DWORD length, DWORD flags,
                        std::wstring& path);
// The folder picker with the given title; false when nothing was chosen.
bool ChooseFolder(const wchar_t* title, std::wstring& folder);
// File, Open in Notepad: an existing file, starting in "c:\".
bool ChooseFileForNotepad(std::wstring& path);
// The key file of the key controls: an existing file of any length of path.
bool ChooseKeyFile(std::wstring& path);

} // namespace quenzel
