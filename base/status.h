// The status bar: part 0 is the state line, part 1 the page information line.
#pragma once

#include <windows.h>

namespace quenzel {

inline constexpr int StatusStatePart = 0;
inline constexpr int StatusInfoPart = 1;

// Creates the status bar (id 1000) with its three parts; false when it could
// not be made (status texts then go nowhere).
bool CreateStatusBar(HWND parent, const wchar_t* initialText, int parts);

HWND StatusBar();
// Gives the bar the font for a new DPI, its height and its parts' edges.
void LayOutStatusBar(HFONT font, int dpi);

// Puts a text into one part of the status bar; the bar copies it.
void SetStatusText(const wchar_t* text, unsigned flags, int part);

} // namespace quenzel
