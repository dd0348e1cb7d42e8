// The main window's size and place. Portable: no windows.h.
#pragma once

namespace quenzel {

struct WindowMetrics {
    int edgeWidth;         // SM_CXEDGE
    int focusBorderWidth;  // SM_CXFOCUSBORDER
    int focusBorderHeight; // SM_CYFOCUSBORDER
    int captionHeight;     // SM_CYCAPTION
    int menuHeight;        // SM_CYMENU
    int statusBarHeight;   // the status bar's window rectangle
    int screenWidth;       // SM_CXSCREEN
    int screenHeight;      // SM_CYSCREEN
    int dpi = 96;          // the window's DPI: the client area is scaled to it
};

struct WindowPlacement {
    int x, y, width, height;
};

// The fixed outer size (the client area in design pixels, scaled), centred on the screen and 3 pixels above the centre.
WindowPlacement MainWindowPlacement(const WindowMetrics& metrics);

} // namespace quenzel
