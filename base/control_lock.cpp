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

bool IsAmong(HWND control, const int* ids, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (control && MainControl(ids[i]) == control)
            return true;
    return false;
}

void DisableOnWindowThread(const int* ids, size_t count)
{
    const HWND focus = GetFocus();
    for (size_t i = 0; i < count; ++i)
        EnableWindow(MainControl(ids[i]), FALSE);
    if (!IsAmong(focus, ids, count))
        return;
    // On to the next control that takes the focus, the disabled ones skipped.
    FocusBeforeLock = focus;
    const HWND next = GetNextDlgTabItem(MainWindow, focus, FALSE);
    FocusDuringLock = next && IsWindowEnabled(next) ? next : MainWindow;
    SetFocus(FocusDuringLock);
}

void EnableOnWindowThread(const int* ids, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        EnableWindow(MainControl(ids[i]), TRUE);
    if (!IsAmong(FocusBeforeLock, ids, count))
        return;
    const HWND focus = GetFocus();
    if (focus == FocusDuringLock || focus == MainWindow)
        SetFocus(FocusBeforeLock);
    FocusBeforeLock = FocusDuringLock = nullptr;
}

} // namespace

void EnableControls(const int* ids, size_t count, bool enable) noexcept
{
    // The focus lives on the window's thread; a worker ending its lock
    // hands the change there.
    PostCall([ids, count, enable] {
        if (enable)
            EnableOnWindowThread(ids, count);
        else
            DisableOnWindowThread(ids, count);
    });
}

bool ControlLock::Take()
{
    bool free = false;
    if (!held_.compare_exchange_strong(free, true))
        return false;
    EnableControls(ids_, count_, false);
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
    held_ = false;
    EnableControls(ids_, count_, true);
}

bool ControlLock::Held() const noexcept
{
    return held_.load();
}

} // namespace quenzel
