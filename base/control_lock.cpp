#include "base/control_lock.h"

#include "base/page_kit.h"

namespace quenzel {

void EnableControls(const int* ids, size_t count, bool enable) noexcept
{
    for (size_t i = 0; i < count; ++i)
        EnableWindow(MainControl(ids[i]), enable);
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
