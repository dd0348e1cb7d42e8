// Painting of the ButtonEx control: background, looks, frames and content.
#pragma once

#include <windows.h>

namespace quenzel {

struct ButtonExData;

// WM_ERASEBKGND: fills the background; always 1.
LRESULT PaintButtonExBackground(HWND button, const ButtonExData& data, HDC dc);
// WM_PAINT: draws the look the style and state choose, then the content.
void PaintButtonEx(HWND button, const ButtonExData& data, HDC dc, const RECT& paintRect);
// Replaces every pixel of one colour in a bitmap (null: nothing happens).
void ReplaceBitmapColor(HBITMAP bitmap, COLORREF oldColor, COLORREF newColor);

} // namespace quenzel
