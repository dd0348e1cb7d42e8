// One worker at a time over a page's (or a dialog's) controls: the lock is
// taken on the window's thread before the worker starts, which disables the
// controls (the buttons that would start another worker), and released by
// the worker's WorkEnd however its work ends, which enables them again.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>

namespace quenzel {

// Enables or disables the controls with these ids of `window`, the main
// window when it is null.
void EnableControls(const int* ids, size_t count, bool enable, HWND window = nullptr) noexcept;
template <size_t N>
void EnableControls(const int (&ids)[N], bool enable) noexcept
{
    EnableControls(ids, N, enable);
}

class ControlLock {
public:
    template <size_t N>
    constexpr explicit ControlLock(const int (&ids)[N]) noexcept
        : ids_(ids)
        , count_(N)
    { }
    ControlLock(const ControlLock&) = delete;
    ControlLock& operator=(const ControlLock&) = delete;

    // Claims the lock and disables the controls, those of `window` when it
    // is given (a dialog's); false while a worker holds it (a command that
    // reached the page past a disabled button).
    bool Take(HWND window = nullptr);
    // Takes the lock and starts the worker, which must release it; the lock
    // is given back at once when the worker cannot start.
    bool StartWorker(LPTHREAD_START_ROUTINE worker, void* parameter = nullptr);
    // Frees the lock before the controls come back, so a click on them is
    // taken.
    void Release() noexcept;
    bool Held() const noexcept;

private:
    const int* ids_;
    size_t count_;
    std::atomic<bool> held_{false};
    HWND window_ = nullptr; // written by the holder alone
};

} // namespace quenzel
