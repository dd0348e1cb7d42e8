#include "controls/button_ex_contrast.h"

#include "controls/button_ex_data.h"

namespace quenzel {

int ContrastFaceIndex(ButtonLook look)
{
    return look == ButtonLook::Sunken ? COLOR_HIGHLIGHT : COLOR_BTNFACE;
}

COLORREF ContrastTextColour(const ButtonExData& data, ButtonLook look)
{
    if (data.disabled)
        return GetSysColor(COLOR_GRAYTEXT);
    return GetSysColor(look == ButtonLook::Sunken ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
}

void DrawContrastFrame(HDC dc, const ButtonExData& data, ButtonLook look, const RECT& client)
{
    if (look == ButtonLook::Flat)
        return;
    HBRUSH frame = GetSysColorBrush(look == ButtonLook::Sunken ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
    RECT edge = client;
    FrameRect(dc, &edge, frame);
    if (data.focused) {
        InflateRect(&edge, -1, -1);
        FrameRect(dc, &edge, frame);
    }
}

} // namespace quenzel
