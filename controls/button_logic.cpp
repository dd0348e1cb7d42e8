#include "controls/button_logic.h"

namespace quenzel {

ButtonLook ChooseButtonLook(const ButtonLookState& state)
{
    if (state.latching) {
        if (!state.latched && state.resting)
            return ButtonLook::Flat;
        if (state.hot)
            return ButtonLook::Raised;
        return state.resting ? ButtonLook::Flat : ButtonLook::Sunken;
    }
    if (state.flat) {
        if (state.hot)
            return ButtonLook::Hot;
        return state.resting ? ButtonLook::Flat : ButtonLook::Sunken;
    }
    // The press tracking is shared by all plain buttons; only the one that
    // holds the press may look sunken.
    return state.pressed && state.pressedInside ? ButtonLook::Sunken : ButtonLook::Raised;
}

int ContentOffset(ButtonLook look)
{
    return look == ButtonLook::Sunken ? 1 : 0;
}

bool PressedInsideAfterMove(std::uint16_t x, std::uint16_t y, int width, int height, bool current)
{
    if (x > width || y > height)
        return false;
    if (x < width || y < height)
        return true;
    return current;
}

std::wstring StripMnemonicMarks(const wchar_t* caption)
{
    std::wstring shown;
    if (!caption)
        return shown;
    for (const wchar_t* p = caption; *p; ++p)
        if (*p != L'&')
            shown.push_back(*p);
    return shown;
}

wchar_t MnemonicOf(const wchar_t* caption)
{
    if (!caption)
        return 0;
    for (const wchar_t* p = caption; *p; ++p)
        if (*p == L'&')
            return p[1];
    return 0;
}

} // namespace quenzel
