// The two fonts of the pages, derived from the status bar's font.
#pragma once

#include <windows.h>

namespace quenzel {

extern HFONT NormalFont;
extern HFONT BoldFont;

// OPTIONS "ClearFont": not 0 makes the fonts ClearType-smoothed, 0 leaves
// the smoothing to the system.
inline constexpr wchar_t ClearFontSection[] = L"OPTIONS";
inline constexpr wchar_t ClearFontKey[] = L"ClearFont";

// Makes both fonts from the status bar's font, with the stored smoothing.
void CreateUiFonts();

} // namespace quenzel
