// The two fonts of the pages, derived from the status bar's font (the
// system's status font at the system DPI) and sized for the window's DPI.
#pragma once

#include <windows.h>

namespace quenzel {

extern HFONT NormalFont;
extern HFONT BoldFont;

// OPTIONS "ClearFont": not 0 makes the fonts ClearType-smoothed, 0 leaves
// the smoothing to the system.
inline constexpr wchar_t ClearFontSection[] = L"OPTIONS";
inline constexpr wchar_t ClearFontKey[] = L"ClearFont";

// Makes both fonts for `dpi` from the status bar's font, with the stored
// smoothing; the fonts made before are the caller's to delete.
void CreateUiFonts(int dpi);

// Both fonts for the system DPI.
void CreateUiFonts();

} // namespace quenzel
