#include "app/keyboard.h"

#include "base/process.h"
#include "base/tabs.h"
#include "controls/button_ex.h"

#include <commctrl.h>

namespace quenzel {

namespace {
// The window that had the focus when the last Tab, Return or Space went
// down in the main window; null once that key is up again.
HWND KeyDownFocus = nullptr;

bool InMainWindow(HWND window)
{
    return window == MainWindow || (MainWindow && IsChild(MainWindow, window));
}

bool KeyIsDown(int key)
{
    return (GetKeyState(key) & 0x8000) != 0;
}

bool IsPressKey(WPARAM key)
{
    return key == VK_TAB || key == VK_RETURN || key == VK_SPACE;
}

bool IsVisibleControl(HWND control)
{
    return control && control != MainWindow && IsChild(MainWindow, control) && IsWindowVisible(control)
        && IsWindowEnabled(control);
}

// After a change of tabs the focus stays where it was when that control is
// still shown, or else goes to the new page's first control.
void KeepFocusOnShownPage()
{
    if (IsVisibleControl(GetFocus()))
        return;
    if (HWND first = GetNextDlgTabItem(MainWindow, nullptr, FALSE))
        SetFocus(first);
}

// Ctrl+Tab and Ctrl+Shift+Tab: the next and the previous tab, round.
bool ChangeTabByKey(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || !KeyIsDown(VK_CONTROL))
        return false;
    const int current = static_cast<int>(SendMessageW(TabControl(), TCM_GETCURSEL, 0, 0));
    const int step = KeyIsDown(VK_SHIFT) ? TabCount - 1 : 1;
    SelectTab((current < 0 ? 0 : current + step) % TabCount);
    KeepFocusOnShownPage();
    return true;
}

void ShowFocusCues()
{
    SendMessageW(MainWindow, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

bool IsNavigationKey(const MSG& msg)
{
    if (msg.message == WM_SYSKEYDOWN)
        return true;
    if (msg.message != WM_KEYDOWN)
        return false;
    switch (msg.wParam) {
    case VK_TAB:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        return true;
    default:
        return false;
    }
}

// The program's buttons press on key-up. A key-up whose key went down
// elsewhere (in a dialog that closed on it, or a Tab that moved the focus
// onto the button) is no press of this button.
bool IsStrayKeyUp(const MSG& msg)
{
    if (msg.message == WM_KEYDOWN && IsPressKey(msg.wParam))
        KeyDownFocus = GetFocus();
    if (msg.message != WM_KEYUP || !IsPressKey(msg.wParam))
        return false;
    const bool stray = KeyDownFocus != msg.hwnd;
    KeyDownFocus = nullptr;
    return stray && IsButtonEx(msg.hwnd);
}

// The program's buttons keep Alt and F10 to themselves; the menu bar
// should open whichever control has the focus. Alt+letter is the dialog
// manager's alone: it presses the button with that letter from anywhere on
// the page, so the focused button's own search on the key-up would press it
// a second time.
void SendMenuKeysToWindow(MSG& msg)
{
    if (msg.hwnd == MainWindow || !IsButtonEx(msg.hwnd))
        return;
    const bool menuKey = msg.wParam == VK_MENU || msg.wParam == VK_F10;
    if (msg.message == WM_SYSCHAR || msg.message == WM_SYSKEYUP || (msg.message == WM_SYSKEYDOWN && menuKey))
        msg.hwnd = MainWindow;
}
} // namespace

bool IsMainWindowMessage(const MSG& msg)
{
    return MainWindow && InMainWindow(msg.hwnd);
}

bool HandleMainWindowKey(MSG& msg)
{
    if (!IsMainWindowMessage(msg))
        return false;
    if (IsNavigationKey(msg))
        ShowFocusCues();
    if (ChangeTabByKey(msg))
        return true;
    if (IsStrayKeyUp(msg))
        return true;
    SendMenuKeysToWindow(msg);
    return IsDialogMessageW(MainWindow, &msg) != FALSE;
}

void MoveFocusOnRequest(HWND window, WPARAM wParam, LPARAM lParam)
{
    HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                               : GetNextDlgTabItem(window, GetFocus(), wParam != 0 ? TRUE : FALSE);
    if (next)
        SetFocus(next);
}

void HideFocusCuesAtStart(HWND window)
{
    SendMessageW(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
}

} // namespace quenzel
