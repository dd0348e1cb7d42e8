// The two fonts of the pages, derived from the status bar's font (the
// system's status font at the system DPI) and sized for the window's DPI.
#pragma once

#include <windows.h>

namespace quenzel {

extern HFONT NormalFont;
extern HFONT BoldFont;

// Makes both fonts for `dpi` from the status bar's font, with the stored
// smoothing; the fonts made before are the caller's to delete.
void CreateUiFonts(int dpi);

// Both fonts for the system DPI.
void CreateUiFonts();

} // namespace quenzel
