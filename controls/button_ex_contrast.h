// ButtonEx in a high-contrast theme: the user's system colours only, a plain
// frame instead of the rounded and bevelled looks.
#pragma once

#include "controls/button_logic.h"

#include <windows.h>

namespace quenzel {

struct ButtonExData;

// The face: the highlight while pressed down, else the button face.
int ContrastFaceIndex(ButtonLook look);
// The caption: grey text when disabled, else the text for the face.
COLORREF ContrastTextColour(const ButtonExData& data, ButtonLook look);
// A one-pixel frame in the caption's colour (two pixels while focused); a
// flat button at rest has none.
void DrawContrastFrame(HDC dc, const ButtonExData& data, ButtonLook look, const RECT& client);

} // namespace quenzel
