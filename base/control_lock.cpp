#include "base/control_lock.h"

#include "base/courier.h"
#include "base/page_kit.h"
#include "base/process.h"

namespace quenzel {

namespace {

// A disabled control loses the keyboard focus to nobody, and with no focus
// the keyboard reaches no control. The control that had it when the lock
// disabled it (and where the focus was moved meanwhile) gets it back when
// the controls come back, unless the user has put it elsewhere.
HWND FocusBeforeLock = nullptr;
HWND FocusDuringLock = nullptr;

// A control of the main window (`window` null) or of a dialog.
HWND ControlOf(HWND window, int id)
{
    return window ? GetDlgItem(window, id) : MainControl(id);
}

bool IsAmong(HWND control, HWND window, const int* ids, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (control && ControlOf(window, ids[i]) == control)
            return true;
    return false;
}

void DisableOnWindowThread(HWND window, const int* ids, size_t count)
{
    const HWND focus = GetFocus();
    for (size_t i = 0; i < count; ++i)
        EnableWindow(ControlOf(window, ids[i]), FALSE);
    if (!IsAmong(focus, window, ids, count))
        return;
    // On to the next control that takes the focus, the disabled ones skipped.
    const HWND top = window ? window : MainWindow;
    FocusBeforeLock = focus;
    const HWND next = GetNextDlgTabItem(top, focus, FALSE);
    FocusDuringLock = next && IsWindowEnabled(next) ? next : top;
    SetFocus(FocusDuringLock);
}

void EnableOnWindowThread(HWND window, const int* ids, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        EnableWindow(ControlOf(window, ids[i]), TRUE);
    if (!IsAmong(FocusBeforeLock, window, ids, count))
        return;
    const HWND focus = GetFocus();
    if (focus == FocusDuringLock || focus == (window ? window : MainWindow))
        SetFocus(FocusBeforeLock);
    FocusBeforeLock = FocusDuringLock = nullptr;
}

} // namespace

void EnableControls(const int* ids, size_t count, bool enable, HWND window) noexcept
{
    // The focus lives on the window's thread; a worker ending its lock
    // hands the change there. A dialog closed meanwhile has no controls.
    PostCall([ids, count, enable, window] {
        if (window && !IsWindow(window))
            return;
        if (enable)
            EnableOnWindowThread(window, ids, count);
        else
            DisableOnWindowThread(window, ids, count);
    });
}

bool ControlLock::Take(HWND window)
{
    bool free = false;
    if (!held_.compare_exchange_strong(free, true))
        return false;
    window_ = window;
    EnableControls(ids_, count_, false, window_);
    return true;
}

bool ControlLock::StartWorker(LPTHREAD_START_ROUTINE worker, void* parameter)
{
    if (!Take())
        return false;
    if (quenzel::StartWorker(worker, parameter))
        return true;
    Release();
    return false;
}

void ControlLock::Release() noexcept
{
    const HWND window = window_;
    held_ = false;
    EnableControls(ids_, count_, true, window);
}

bool ControlLock::Held() const noexcept
{
    return held_.load();
}

} // namespace quenzel
