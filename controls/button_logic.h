// The ButtonEx decisions that need no window: which look a state shows, how
// a drag moves the press of a plain button, and the caption's "&" marks.
#pragma once

#include <cstdint>
#include <string>

namespace quenzel {

enum class ButtonLook { Flat, Hot, Raised, Sunken };

struct ButtonLookState {
    bool latching = false; // BXS_LATCH
    bool flat = false;     // BXS_FLAT (set for every latching button)
    bool hot = false;
    bool resting = true;
    bool latched = false;
    bool pressed = false;       // this button holds a press
    bool pressedInside = false; // the press is inside the pressed button (class-wide)
};

ButtonLook ChooseButtonLook(const ButtonLookState& state);

// The sunken look draws its content one pixel lower and to the right.
int ContentOffset(ButtonLook look);

// A plain button's press while the pointer moves to (x, y), each taken as an
// unsigned 16-bit value so points left of or above the button count as far
// outside. The single point (width, height) keeps the current value.
bool PressedInsideAfterMove(std::uint16_t x, std::uint16_t y, int width, int height, bool current);

// The caption as shown: every "&" removed.
std::wstring StripMnemonicMarks(const wchar_t* caption);

// The character after the first "&" of the caption, or 0.
wchar_t MnemonicOf(const wchar_t* caption);

} // namespace quenzel
