#include "base/dpi.h"

#include "base/handles.h"

namespace quenzel {

namespace {
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

// A user32 function of Windows 10 or later, or null.
template <typename Function>
Function User32Function(const char* name)
{
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

// Font heights are negative (character height) or positive (cell height);
// both scale the same way.
void ScaleFontHeight(LOGFONTW& font, int fromDpi, int toDpi)
{
    font.lfHeight = MulDiv(font.lfHeight, toDpi, fromDpi);
}
} // namespace

int SystemDpi()
{
    WindowDC screen(nullptr);
    const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : DesignDpi;
}

int WindowDpi(HWND window)
{
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow && window ? getDpiForWindow(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

int Scaled(HWND window, int design)
{
    return ScaleToDpi(design, WindowDpi(window));
}

DesignRect ScaledRect(HWND window, const DesignRect& design)
{
    return ScaleRectToDpi(design, WindowDpi(window));
}

int SystemMetricForDpi(int index, int dpi)
{
    static const auto forDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    return forDpi ? forDpi(index, static_cast<UINT>(dpi)) : GetSystemMetrics(index);
}

bool NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, int dpi)
{
    static const auto forDpi = User32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
    metrics = NONCLIENTMETRICSW{};
    metrics.cbSize = sizeof metrics;
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi)))
        return true;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return false;
    const int system = SystemDpi();
    if (dpi != system) {
        ScaleFontHeight(metrics.lfMenuFont, system, dpi);
        ScaleFontHeight(metrics.lfMessageFont, system, dpi);
        ScaleFontHeight(metrics.lfStatusFont, system, dpi);
    }
    return true;
}

} // namespace quenzel
