// The shell's choosers: an output folder, a file for Notepad, a key file.
// Each opens on the window's thread, whichever thread asks (a worker waits
// for the answer), so a chooser and its owner always share a thread.
#pragma once

#include <windows.h>

#include <string>

namespace quenzel {

// An open-file dialog owned by the main window for one existing file, with
// the one filter "All files (*.*)" in the interface's language, taking a
// name of up to `length` characters; false when nothing was chosen (after
// a message when the dialog failed).
bool ChooseExistingFile(const wchar_t* title, const wchar_t* initialFolder, DWORD length, DWORD flags,
                        std::wstring& path);
// The folder picker with the given title, owned by `owner` (null: the main
// window), a window of the window's thread; false when nothing was chosen.
bool ChooseFolder(const wchar_t* title, std::wstring& folder, HWND owner = nullptr);
// File, Open in Notepad: an existing file, starting in "c:\".
bool ChooseFileForNotepad(std::wstring& path);
// The key file of the key controls: an existing file of any length of path.
bool ChooseKeyFile(std::wstring& path);

} // namespace quenzel
