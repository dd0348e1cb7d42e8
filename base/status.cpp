#include "base/status.h"

#include "base/control_ids.h"

#include <commctrl.h>

namespace quenzel {

namespace {
// Right edges of the first two parts; the third lies beyond the window.
constexpr int StatusPartEdges[] = {200, 1500, -1};
constexpr int MaxStatusParts = sizeof StatusPartEdges / sizeof StatusPartEdges[0];
HWND StatusBarWindow = nullptr;
} // namespace

bool CreateStatusBar(HWND parent, const wchar_t* initialText, int parts)
{
    StatusBarWindow = CreateStatusWindowW(WS_CHILD | WS_VISIBLE | WS_BORDER, initialText, parent,
                                          IDC_STATUSBAR);
    if (!StatusBarWindow)
        return false;
    const int count = parts < MaxStatusParts ? parts : MaxStatusParts;
    SendMessageW(StatusBarWindow, SB_SETPARTS, count, reinterpret_cast<LPARAM>(StatusPartEdges));
    return true;
}

HWND StatusBar()
{
    return StatusBarWindow;
}

void SetStatusText(const wchar_t* text, unsigned flags, int part)
{
    const WPARAM how = (flags & 0xFFFFu) | (static_cast<unsigned>(part) & 0xFFFFu);
    SendMessageW(StatusBarWindow, SB_SETTEXTW, how, reinterpret_cast<LPARAM>(text));
}

} // namespace quenzel
