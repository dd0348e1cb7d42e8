#include "base/fonts.h"

#include "base/dpi.h"
#include "base/handles.h"
#include "base/settings.h"
#include "base/status.h"

namespace quenzel {

HFONT NormalFont = nullptr;
HFONT BoldFont = nullptr;

namespace {
constexpr wchar_t MeasuredLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int FaceNameLength = 260;

// The status bar's font as first measured: its cell height at the system
// DPI and its face. Later sizes are scaled from it, never from a font
// already made for another DPI.
struct MeasuredFont {
    int height = 0;
    int dpi = DesignDpi;
    wchar_t face[FaceNameLength] = L"";
};
MeasuredFont BarFont;

void MeasureBarFont()
{
    HWND bar = StatusBar();
    HFONT barFont = reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0));
    SIZE extent{};
    WindowDC dc(bar);
    if (dc.Get()) {
        SelectedObject selected(dc.Get(), barFont ? barFont : GetStockObject(DEFAULT_GUI_FONT));
        GetTextExtentPoint32W(dc.Get(), MeasuredLetters, lstrlenW(MeasuredLetters), &extent);
        GetTextFaceW(dc.Get(), FaceNameLength, BarFont.face);
    }
    BarFont.height = extent.cy;
    BarFont.dpi = SystemDpi();
}

DWORD StoredFontQuality()
{
    return ReadIntSetting(ClearFontSection, ClearFontKey, 0) != 0 ? CLEARTYPE_QUALITY : DEFAULT_QUALITY;
}

HFONT MakeFont(int height, int weight, DWORD quality, const wchar_t* face)
{
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH, face);
}
} // namespace

void CreateUiFonts(int dpi)
{
    if (BarFont.height == 0)
        MeasureBarFont();
    const int height = MulDiv(BarFont.height, dpi, BarFont.dpi);
    const DWORD quality = StoredFontQuality();
    NormalFont = MakeFont(height, FW_NORMAL, quality, BarFont.face);
    BoldFont = MakeFont(height, FW_BOLD, quality, BarFont.face);
}

void CreateUiFonts()
{
    CreateUiFonts(SystemDpi());
}

} // namespace quenzel
