// The program's pictures at the size for a window's DPI. The pages' icons
// hold images for 100 %, 150 % and 200 %; each bitmap has a drawing for
// each of the three (BitmapIdAtScale), so no picture is enlarged from the
// 96-dpi drawing.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace quenzel {

// An icon of the resources at `size` pixels: LoadIconWithScaleDown
// (comctl32 6, looked up at run time) shrinks the next larger image;
// without it LoadImage takes the nearest. Null when the icon is missing.
HICON LoadIconAtSize(int iconId, int size);

// The icon's size at 96 dpi: its smallest image.
int DesignIconSize(int iconId);

// A bitmap of the resources for a DPI: the drawing of the art scale for
// the DPI, shrunk to the design size scaled to the DPI where the two differ.
HBITMAP LoadBitmapAtDpi(int bitmapId, int dpi);

// A resource dialog's icon control shows the icon at its size at 96 dpi
// scaled to the dialog's DPI. The icons are kept for the process, one per
// size, as the dialogs come and go.
void SetDialogIcon(HWND dialog, int controlId, int iconId);
// The same with one of the system's icons (IDI_INFORMATION, say), at
// `designSize` pixels at 96 dpi.
void SetDialogSystemIcon(HWND dialog, int controlId, LPCWSTR systemIcon, int designSize);

// A list's small images: the icons, at `designSize` scaled to the list's
// DPI. RemakeListIcons makes them again for a new DPI; a list that was never
// given icons is left alone.
void SetListIcons(HWND list, std::initializer_list<int> iconIds, int designSize);
void RemakeListIcons(HWND list, int dpi);

} // namespace quenzel
