// Helpers of the shell shared by the pages: the folder picker, one shell file
// operation, the HTML Help call, and safe loading of system libraries.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace quenzel {

// Shows the folder picker owned by `owner`, on the calling thread, which
// must be the owner's (`ChooseFolder` in base/choosers.h takes care of
// that). 1 when a file-system folder was chosen and written to `path`
// (`capacity` characters, at least MAX_PATH), else 0.
int BrowseForFolder(const wchar_t* title, wchar_t* path, DWORD capacity, HWND owner);

// Runs one SHFileOperationW on one path; `owner` (may be null) owns any
// question the shell asks, so a call with an owner runs on its thread. A trailing backslash names the folder itself.
// The path is copied, so the caller's buffer needs no room beyond its
// terminator. True when the operation succeeded and nothing was aborted;
// `declined` (may be null) tells that the user said No to the shell's question.
bool ShellFileOperation(const wchar_t* path, FILEOP_FLAGS flags, const wchar_t* destination, UINT operation,
                        HWND owner = nullptr, bool* declined = nullptr);

// Calls the HTML Help viewer's HtmlHelpW; the window's handle, or null when
// help cannot be shown. The viewer is looked for once per run.
HWND ShowHelpTopic(HWND window, const wchar_t* file, UINT command, DWORD_PTR data);

// The system folder ("C:\Windows\System32"); empty when it cannot be had.
std::wstring SystemFolder();

// Loads a library of the system folder by full path, never from the program
// folder or the current folder; null when it is missing.
HMODULE LoadSystemLibrary(const wchar_t* name);

// Takes the current folder and the program folder out of the process's DLL
// search, so a planted library is never loaded. Called first at start-up.
void RestrictLibrarySearch();

// How the help viewer is found: the library loader and the registry look-up,
// replaceable so tests can count the attempts.
struct HelpViewerSource {
    HMODULE (*load)(const std::wstring& fullPath);
    std::wstring (*registeredPath)();
};
// The registered viewer's path from the registry, expanded; empty when
// missing, too long or not a full path.
std::wstring RegisteredHelpViewerPath();
// Replaces the source and forgets the loaded viewer and the failure flag.
void ResetHelpViewer(const HelpViewerSource& source);

} // namespace quenzel
