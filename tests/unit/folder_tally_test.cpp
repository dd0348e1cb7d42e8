// A folder job's tally: each kind of failure is shown once, and the report
// names the first files that were not processed and counts the rest.
#include "crypt/folder_tally.h"

#include <gtest/gtest.h>

namespace quenzel {
namespace {

TEST(FolderTally, EachKindOfFailureIsShownOnceAndTheFirstNamesAreKept)
{
    constexpr int Locked = 111;
    constexpr int Full = 243;
    struct Event {
        int kind; // 0: the file was done
        bool shown;
    };
    const Event events[] = {{0, false}, {Full, true}, {Full, false}, {Locked, true}, {0, false}, {Full, false}};
    FolderTally tally(5000);
    int n = 0;
    for (const Event& e : events) {
        const std::wstring name = L"f" + std::to_wstring(n++);
        if (e.kind == 0)
            tally.Done();
        else
            EXPECT_EQ(tally.Failed(name, e.kind), e.shown) << n;
    }
    for (int i = 0; i < 20; ++i)
        EXPECT_FALSE(tally.Failed(L"g" + std::to_wstring(i), Full));
    EXPECT_EQ(tally.Listed(), 5000);
    EXPECT_EQ(tally.Processed(), 2);
    EXPECT_EQ(tally.FailedCount(), 24);
    ASSERT_EQ(tally.NamedFailures().size(), ReportedNamesLimit);
    EXPECT_EQ(tally.NamedFailures()[0], L"f1");
    EXPECT_EQ(tally.NamedFailures()[3], L"f5");
    EXPECT_EQ(tally.NamedFailures()[4], L"g0");
    EXPECT_EQ(tally.UnnamedFailures(), 24 - static_cast<int>(ReportedNamesLimit));
}

} // namespace
} // namespace quenzel
