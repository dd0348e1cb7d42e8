#include "base/fonts.h"

#include "base/handles.h"
#include "base/settings.h"
#include "base/status.h"

namespace quenzel {

HFONT NormalFont = nullptr;
HFONT BoldFont = nullptr;

namespace {
constexpr wchar_t MeasuredLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int FaceNameLength = 260;

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

void CreateUiFonts()
{
    HWND bar = StatusBar();
    HFONT barFont = reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0));
    SIZE extent{};
    wchar_t face[FaceNameLength] = L"";
    {
        WindowDC dc(bar);
        if (dc.Get()) {
            SelectedObject selected(dc.Get(), barFont ? barFont : GetStockObject(DEFAULT_GUI_FONT));
            GetTextExtentPoint32W(dc.Get(), MeasuredLetters, lstrlenW(MeasuredLetters), &extent);
            GetTextFaceW(dc.Get(), FaceNameLength, face);
        }
    }
    const DWORD quality = StoredFontQuality();
    NormalFont = MakeFont(extent.cy, FW_NORMAL, quality, face);
    BoldFont = MakeFont(extent.cy, FW_BOLD, quality, face);
}

} // namespace quenzel
