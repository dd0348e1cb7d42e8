// The handle owners: each handle is closed exactly once, by whoever owns it
// last.
#include "base/handles.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace quenzel
