#include "app/behaviours.h"

#include "app/menu.h"
#include "app/opacity.h"
#include "app/snap.h"
#include "base/messages.h"
#include "base/process.h"
#include "base/settings.h"

namespace quenzel {

bool MagnetEnabled = false;

namespace {
constexpr int FullAlpha = 255;
constexpr int PercentScale = 100;

// The rectangle SnapToEdges returned last; all 0 at start.
SnapRect KeptRect{};
} // namespace

void ApplyOnTop()
{
    const bool onTop = ReadSetting(setting::OnTop);
    SetWindowPos(MainWindow, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void ApplyTransparency(HWND window, int percent)
{
    const int p = EffectiveOpacity(percent);
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

bool ToggleOption(int commandId, const FlagSetting& option)
{
    const bool wasSet = ReadSetting(option);
    CheckMenuItem(MainMenu(), static_cast<UINT>(commandId), MF_BYCOMMAND | (wasSet ? MF_UNCHECKED : MF_CHECKED));
    if (!WriteSetting(option, !wasSet)) {
        // The check mark follows what the file holds.
        CheckMenuItem(MainMenu(), static_cast<UINT>(commandId), MF_BYCOMMAND | (wasSet ? MF_CHECKED : MF_UNCHECKED));
        ReportSettingNotSaved();
        return false;
    }
    return true;
}

void ReadMagnetOption()
{
    MagnetEnabled = ReadSetting(setting::Magnet);
}

bool SnapToEdges(RECT* proposed)
{
    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
        return false;
    SnapRect r{proposed->left, proposed->top, proposed->right, proposed->bottom};
    SnapRectToEdges(r, SnapRect{work.left, work.top, work.right, work.bottom}, KeptRect);
    *proposed = RECT{r.left, r.top, r.right, r.bottom};
    return true;
}

} // namespace quenzel
