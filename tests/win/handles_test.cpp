// The handle owners: each handle is closed exactly once, by whoever owns it
// last.
#include "base/handles.h"
#include "base/job_workers.h"

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

} // namespace
} // namespace quenzel
