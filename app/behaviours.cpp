#include "app/behaviours.h"

#include "app/settings.h"
#include "app/shell.h"

namespace quenzel {

namespace {
constexpr int FullAlpha = 255;
constexpr int PercentScale = 100;
constexpr int LowByteMask = 0xFF;
} // namespace

void ApplyOnTop()
{
    const bool onTop = ReadIntSetting(L"OPTIONS", L"OnTop", 0) != 0;
    SetWindowPos(MainWindow, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void ApplyTransparency(HWND window, int percent)
{
    const int p = percent & LowByteMask;
    const LONG_PTR style = GetWindowLongPtrW(MainWindow, GWL_EXSTYLE);
    if (p != 0) {
        SetLastError(0);
        if (!SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED) && GetLastError() != 0)
            return;
        const BYTE alpha = static_cast<BYTE>(p * FullAlpha / PercentScale);
        if (!SetLayeredWindowAttributes(window, 0, alpha, LWA_ALPHA))
            return;
    } else {
        SetLastError(0);
        if (!SetWindowLongPtrW(window, GWL_EXSTYLE, style & ~static_cast<LONG_PTR>(WS_EX_LAYERED))
            && GetLastError() != 0)
            return;
    }
    RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
}

} // namespace quenzel
