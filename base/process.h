// Process-wide values, set once at start-up: the instance, the main window,
// the program's files, the page shown; and the longest texts it handles.
#pragma once

#include <windows.h>

#include <string>

namespace quenzel {

extern HINSTANCE Instance;
extern HWND MainWindow;
extern std::wstring ProgramDir;   // the executable's folder, no trailing backslash
extern std::wstring SettingsPath; // ProgramDir + "\Quenzel.ini"
extern std::wstring LanguagePath; // ProgramDir + "\lang\default.lng"
extern std::wstring HelpFilePath; // ProgramDir + "\help\" + the language's help file
extern int CurrentPage;

// Longest path or control text the program handles, in UTF-16 units.
inline constexpr DWORD MaxTextLength = 32767;
// Longest title (the last component of a path).
inline constexpr DWORD MaxTitleLength = 260;

// Resolves the four paths from the folder that holds the program.
void ResolvePaths(const std::wstring& programDir);
// The folder of the running executable, however long its path (also used
// by language.exe; base/executable_folder.cpp).
std::wstring ExecutableFolder();

} // namespace quenzel
