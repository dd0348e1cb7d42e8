#include "base/status.h"

#include "base/control_ids.h"
#include "base/dpi.h"
#include "base/thread_check.h"

#include <commctrl.h>

namespace quenzel {

namespace {
// Right edges of the first two parts; the third lies beyond the window.
constexpr int StatusPartEdges[] = {200, 1500, -1};
constexpr int MaxStatusParts = sizeof StatusPartEdges / sizeof StatusPartEdges[0];
HWND StatusBarWindow = nullptr;
int StatusPartCount = 0;

// The parts' right edges at the DPI.
void SetStatusParts(int dpi)
{
    int edges[MaxStatusParts];
    for (int i = 0; i < MaxStatusParts; ++i)
        edges[i] = StatusPartEdges[i] < 0 ? StatusPartEdges[i] : ScaleToDpi(StatusPartEdges[i], dpi);
    SendMessageW(StatusBarWindow, SB_SETPARTS, StatusPartCount, reinterpret_cast<LPARAM>(edges));
}
} // namespace

bool CreateStatusBar(HWND parent, const wchar_t* initialText, int parts)
{
    StatusBarWindow = CreateStatusWindowW(WS_CHILD | WS_VISIBLE | WS_BORDER, initialText, parent, IDC_STATUSBAR);
    if (!StatusBarWindow)
        return false;
    StatusPartCount = parts < MaxStatusParts ? parts : MaxStatusParts;
    SetStatusParts(WindowDpi(parent));
    return true;
}

void LayOutStatusBar(HFONT font, int dpi)
{
    // The bar takes its height from its font, and its width from the parent.
    SendMessageW(StatusBarWindow, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(StatusBarWindow, WM_SIZE, 0, 0);
    SetStatusParts(dpi);
}

HWND StatusBar()
{
    return StatusBarWindow;
}

void SetStatusText(const wchar_t* text, unsigned flags, int part)
{
    ExpectWindowThread("SetStatusText");
    const WPARAM how = (flags & 0xFFFFu) | (static_cast<unsigned>(part) & 0xFFFFu);
    SendMessageW(StatusBarWindow, SB_SETTEXTW, how, reinterpret_cast<LPARAM>(text));
}

} // namespace quenzel
