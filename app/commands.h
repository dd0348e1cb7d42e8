// The program-wide commands of the menu bar, the accelerators and the help
// button, after the shown page has seen the command.
#pragma once

#include <windows.h>

namespace quenzel {

// The maker's web site and support mail (Help menu).
inline constexpr wchar_t MakerWebSite[] = L"https://quenzel.example.org";
inline constexpr wchar_t MakerSupportMail[] = L"support@quenzel.example.org";

// Runs the command; false when it is none of the program-wide commands.
// `window` is the window that received it (the About box's owner).
bool RunProgramCommand(HWND window, int id);

} // namespace quenzel
