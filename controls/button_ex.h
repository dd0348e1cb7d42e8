// ButtonEx: the program's own push button ("ButtonExClass"). It draws itself,
// tracks hover and presses, latches, carries a tooltip and answers Space,
// Return and Alt+mnemonic. The style word configures it entirely.
#pragma once

#include <windows.h>

namespace quenzel {

// Layout of image and caption (none of these: image left, caption right).
constexpr DWORD BXS_IMAGERIGHT = 0x0001;      // caption left, image right
constexpr DWORD BXS_IMAGEBOTTOM = 0x0004;     // caption at the top, image at the bottom
constexpr DWORD BXS_IMAGETOP = 0x0008;        // image at the top, caption at the bottom
constexpr DWORD BXS_KEEPIMAGECOLORS = 0x0010; // bitmaps keep their colours on a system colour change
constexpr DWORD BXS_FOCUSCUE = 0x0020;        // show the keyboard focus
// BS_ICON (0x0040) and BS_BITMAP (0x0080) select the image set with BM_SETIMAGE.
constexpr DWORD BXS_ROUNDED = 0x0100;      // rounded look with fixed colours; drops WS_BORDER
constexpr DWORD BXS_IMAGEONLY = 0x1400;    // either bit: no caption kept, image centred
constexpr DWORD BXS_HARDEDGES = 0x0800;    // black and white frame lines
constexpr DWORD BXS_LATCH = 0x2000;        // stays down until a latching sibling is clicked; implies BXS_FLAT
constexpr DWORD BXS_FLAT = 0x4000;         // no frame at rest, thin raised frame while hovered
constexpr DWORD BXS_SYSTEMFRAME = 0x20000; // raised and sunken frames by DrawFrameControl

// Messages of the control beside the system's button and window messages.
constexpr UINT BXM_CLEARIMAGES = 0x00F8; // wParam 0: forget the bitmaps; 1: forget the icons
constexpr UINT BXM_SETBKCOLOR = 0x8200;  // lParam: COLORREF (ignored for BXS_ROUNDED)
constexpr UINT BXM_GETBKCOLOR = 0x8201;  // result: the background COLORREF

// Registers "ButtonExClass" once; false when registration failed. A font
// given becomes the default font of the buttons created from then on.
bool RegisterButtonExClass(HFONT defaultFont = nullptr);

// Creates a button (WS_CHILD is always added; WS_VISIBLE is the caller's).
// Null when the class cannot be registered, parent is null or creation fails.
HWND CreateButtonEx(const wchar_t* text, DWORD style, int x, int y, int width, int height, HWND parent, int id);

// Whether the window is of class "ButtonExClass".
bool IsButtonEx(HWND window);

// Adds a tooltip to the button: 0 on success, -1 on failure.
int AddButtonExTooltip(HWND button, const wchar_t* text);

// Clicks (focus, press, release) every ButtonEx child of parent whose
// caption has key after its first "&". Letters match only when written upper
// case there, since virtual-key codes of letters are upper case.
// True when at least one button was clicked.
bool ClickByMnemonic(HWND parent, UINT key);

} // namespace quenzel
