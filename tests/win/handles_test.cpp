// The handle owners: each handle is closed exactly once, by whoever owns it
// last.
#include "base/control_lock.h"
#include "base/handles.h"
#include "base/job_workers.h"
#include "base/process.h"

#include <gtest/gtest.h>

#include <new>
#include <utility>

namespace quenzel {
namespace {

// An event is closed once its last handle is: then a new event of the same
// name is new again.
constexpr wchar_t EventName[] = L"QuenzelHandlesTestEvent";

bool EventExists()
{
    HANDLE probe = OpenEventW(SYNCHRONIZE, FALSE, EventName);
    if (!probe)
        return false;
    CloseHandle(probe);
    return true;
}

UniqueKernelHandle NewEvent()
{
    return UniqueKernelHandle(CreateEventW(nullptr, TRUE, FALSE, EventName));
}

TEST(HandleOwners, MovingHandsTheHandleOverAndClosesItOnce)
{
    UniqueKernelHandle first = NewEvent();
    ASSERT_TRUE(first);
    const HANDLE raw = first.Get();
    UniqueKernelHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.Get(), raw);
    UniqueKernelHandle third;
    third = std::move(second);
    EXPECT_FALSE(second);
    EXPECT_EQ(third.Get(), raw);
    EXPECT_TRUE(EventExists());
    third.Reset();
    EXPECT_FALSE(third);
    EXPECT_FALSE(EventExists());
}

TEST(HandleOwners, ResetClosesTheOldHandleAndReleaseKeepsItOpen)
{
    UniqueKernelHandle owner = NewEvent();
    ASSERT_TRUE(owner);
    owner.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_TRUE(owner);
    EXPECT_FALSE(EventExists()) << "the named event was closed by Reset";

    UniqueKernelHandle kept = NewEvent();
    const HANDLE raw = kept.Release();
    EXPECT_FALSE(kept);
    EXPECT_TRUE(EventExists());
    CloseHandle(raw);
    EXPECT_FALSE(EventExists());
}

TEST(HandleOwners, FileOwnerTreatsBothInvalidValuesAsEmpty)
{
    UniqueFile none(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(none);
    UniqueFile null(nullptr);
    EXPECT_FALSE(null);
    UniqueFind noSearch;
    EXPECT_EQ(noSearch.Get(), INVALID_HANDLE_VALUE);
}

// A page's end of work runs once however its worker leaves the work: a
// page left disabled by an out-of-memory stays so until a restart.
int WorkEnds = 0;

TEST(HandleOwners, WorkEndRunsOnceOnEveryWayOut)
{
    WorkEnds = 0;
    {
        const WorkEnd end([]() noexcept { ++WorkEnds; });
    }
    EXPECT_EQ(WorkEnds, 1);
    try {
        const WorkEnd end([]() noexcept { ++WorkEnds; });
        throw std::bad_alloc();
    } catch (const std::bad_alloc&) {
        EXPECT_EQ(WorkEnds, 2) << "ended before the failure is reported";
    }
    EXPECT_EQ(WorkEnds, 2);
}

// A control lock disables its own controls only, is held by one worker at a
// time and gives every control back when released.
TEST(HandleOwners, ControlLockDisablesItsControlsWhileHeld)
{
    MainWindow = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(MainWindow, nullptr);
    constexpr int Locked[] = {7, 8};
    for (int id : {7, 8, 9})
        CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 10, 10, MainWindow,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    const auto enabled = [](int id) { return IsWindowEnabled(GetDlgItem(MainWindow, id)) != FALSE; };
    ControlLock lock(Locked);
    EXPECT_TRUE(lock.Take());
    EXPECT_TRUE(lock.Held());
    EXPECT_FALSE(enabled(7));
    EXPECT_FALSE(enabled(8));
    EXPECT_TRUE(enabled(9)) << "not one of the lock's controls";
    EXPECT_FALSE(lock.Take()) << "a second worker while the first holds it";
    lock.Release();
    EXPECT_FALSE(lock.Held());
    EXPECT_TRUE(enabled(7));
    EXPECT_TRUE(enabled(8));
    EXPECT_TRUE(lock.Take()) << "free again once released";
    lock.Release();
    DestroyWindow(MainWindow);
    MainWindow = nullptr;
}

} // namespace
} // namespace quenzel
