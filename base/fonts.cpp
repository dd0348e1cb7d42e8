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

// The status font as the design sees it: its cell height and face at
// 96 dpi (or, without the font for a DPI, the status bar's at the system
// DPI). Every size is scaled from it, never from a font made for another
// DPI.
struct MeasuredFont {
    int height = 0;
    int dpi = DesignDpi;
    wchar_t face[FaceNameLength] = L"";
};
MeasuredFont BarFont;

void MeasureFont(HFONT font, int dpi)
{
    SIZE extent{};
    WindowDC dc(nullptr);
    if (dc.Get()) {
        SelectedObject selected(dc.Get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
        GetTextExtentPoint32W(dc.Get(), MeasuredLetters, lstrlenW(MeasuredLetters), &extent);
        GetTextFaceW(dc.Get(), FaceNameLength, BarFont.face);
    }
    BarFont.height = extent.cy;
    BarFont.dpi = dpi;
}

void MeasureBarFont()
{
    NONCLIENTMETRICSW metrics{};
    if (NonClientMetricsForDpi(metrics, DesignDpi)) {
        const UniqueGdiObject designFont(CreateFontIndirectW(&metrics.lfStatusFont));
        if (designFont.Get()) {
            MeasureFont(static_cast<HFONT>(designFont.Get()), DesignDpi);
            return;
        }
    }
    MeasureFont(reinterpret_cast<HFONT>(SendMessageW(StatusBar(), WM_GETFONT, 0, 0)), SystemDpi());
}

DWORD StoredFontQuality()
{
    return ReadSetting(setting::ClearFont) ? CLEARTYPE_QUALITY : DEFAULT_QUALITY;
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
    // Rounded down: lines of text never outgrow the boxes scaled from the design.
    const int height = BarFont.height * dpi / BarFont.dpi;
    const DWORD quality = StoredFontQuality();
    NormalFont = MakeFont(height, FW_NORMAL, quality, BarFont.face);
    BoldFont = MakeFont(height, FW_BOLD, quality, BarFont.face);
}

void CreateUiFonts()
{
    CreateUiFonts(SystemDpi());
}

} // namespace quenzel
