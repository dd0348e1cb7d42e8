// How the main window behaves on the desktop: on top, transparency.
#pragma once

#include <windows.h>

namespace quenzel {

inline constexpr int DefaultTransparency = 95;

// Puts the main window above other windows when OPTIONS "OnTop" is set.
void ApplyOnTop();
// Makes the window layered with the given opacity percent (low 8 bits);
// 0 removes the layered style.
void ApplyTransparency(HWND window, int percent);

} // namespace quenzel
