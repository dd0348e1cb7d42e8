// The ButtonEx record of each window and the state the class shares; seen
// only by the control and its painting.
#pragma once

#include "base/handles.h"

#include <windows.h>

#include <memory>

namespace quenzel {

struct ButtonExData {
    int width = 0; // client size
    int height = 0;
    std::unique_ptr<wchar_t[]> text;    // caption; "&" marks the mnemonic
    std::unique_ptr<wchar_t[]> tipText; // tooltip text
    DWORD style = 0;                    // after the creation adjustments
    COLORREF textColor = 0;
    COLORREF bkColor = 0;
    UniqueGdiObject bkBrush;
    bool customBk = false; // chosen explicitly; system colour changes keep it
    HCURSOR cursor = nullptr;
    HFONT font = nullptr;     // not owned
    HBITMAP bitmap = nullptr; // images are the caller's
    HBITMAP bitmapPressed = nullptr;
    HICON icon = nullptr;
    HICON iconPressed = nullptr;
    bool hot = false;
    bool resting = true;
    bool latched = false;
    bool pressed = false;
    bool focused = false;
    bool disabled = false;
    HWND tooltip = nullptr;      // owned by the button, goes with it
    COLORREF imageFaceColor = 0; // the face colour the bitmaps carry now

    HBRUSH Brush() const { return static_cast<HBRUSH>(bkBrush.Get()); }
};

struct ButtonExShared {
    bool registered = false;
    HPEN shadowPen = nullptr; // made once at registration, kept for the run
    HPEN highlightPen = nullptr;
    HPEN blackPen = nullptr;
    HPEN whitePen = nullptr;
    HFONT defaultFont = nullptr;
    COLORREF faceColorAtCreate = 0;
    // Press tracking of plain buttons: only one can be mouse-pressed at a time.
    bool pressedInside = false;
    bool tracking = false;
    bool lastPainted = false;
};

ButtonExShared& ButtonExClassState();

// The record of a ButtonEx window, or null for any other window.
ButtonExData* ButtonExRecord(HWND window);

} // namespace quenzel
