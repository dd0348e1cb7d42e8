// The two fonts of the pages, derived from the status bar's font.
#pragma once

#include <windows.h>

namespace quenzel {

extern HFONT NormalFont;
extern HFONT BoldFont;

void CreateUiFonts();

} // namespace quenzel
