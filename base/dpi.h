// The window's DPI and the scale from design pixels (the layout at 96 dpi)
// to its device pixels. The per-monitor functions are looked up at run
// time, so the program still starts where they are missing (Windows 7,
// 8.1): there the system DPI stands for every window.
#pragma once

#include "base/dpi_scale.h"

#include <windows.h>

namespace quenzel {

// The system DPI: LOGPIXELSY of the screen.
int SystemDpi();

// The DPI of the monitor the window is on (GetDpiForWindow), or the
// system DPI.
int WindowDpi(HWND window);

// `design` pixels in device pixels of the window.
int Scaled(HWND window, int design);

// A design rectangle in device pixels of the window.
DesignRect ScaledRect(HWND window, const DesignRect& design);

// A system metric at a DPI (GetSystemMetricsForDpi), or at the system DPI.
int SystemMetricForDpi(int index, int dpi);

// The non-client metrics (menu and message fonts) at a DPI
// (SystemParametersInfoForDpi), or the system's scaled to the DPI.
bool NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, int dpi);

// Sent when the window moves to a monitor of another scaling (or the
// scaling changes); lParam is the suggested window rectangle.
inline constexpr UINT DpiChangedMessage = 0x02E0; // WM_DPICHANGED

} // namespace quenzel
