// The shred report's reasons: told by the open's error and the file's
// marks, and counted so that every file left has exactly one reason.
#include "shredder/shred_tally.h"

#include <gtest/gtest.h>

namespace quenzel {
namespace {

TEST(ShredTally, OpenFailuresAreToldApartByErrorAndMarks)
{
    constexpr unsigned long FileNotFound = 2;
    constexpr FileMarks None{};
    constexpr FileMarks ReadOnlyMark{true, false};
    constexpr FileMarks ReparseMark{false, true};
    const struct {
        unsigned long error;
        FileMarks marks;
        ShredResult expected;
    } rows[] = {
        {ShredErrorSharingViolation, None, ShredResult::InUse},
        {ShredErrorLockViolation, None, ShredResult::InUse},
        {ShredErrorAccessDenied, ReadOnlyMark, ShredResult::ReadOnly},
        {ShredErrorAccessDenied, None, ShredResult::NoPermission},
        // A placeholder whose provider refuses, or a link: never "no permission".
        {ShredErrorAccessDenied, ReparseMark, ShredResult::Link},
        {ShredErrorSharingViolation, ReadOnlyMark, ShredResult::InUse},
        {FileNotFound, None, ShredResult::OpenFailed},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ResultOfOpenFailure(row.error, row.marks), row.expected) << row.error;
}

TEST(ShredTally, EachFileLeftCountsOnceUnderItsReason)
{
    ShredTally tally;
    for (ShredResult result : {ShredResult::Shredded, ShredResult::InUse, ShredResult::Shredded, ShredResult::ReadOnly,
                               ShredResult::WriteFailed, ShredResult::DeleteFailed, ShredResult::SizeFailed,
                               ShredResult::Link, ShredResult::InUse})
        tally.Count(result);
    EXPECT_EQ(tally.Shredded(), 2);
    EXPECT_EQ(tally.Left(), 7);
    EXPECT_EQ(tally.LeftFor(ShredLeftReason::InUse), 2);
    EXPECT_EQ(tally.LeftFor(ShredLeftReason::ReadOnly), 1);
    EXPECT_EQ(tally.LeftFor(ShredLeftReason::NoPermission), 0);
    EXPECT_EQ(tally.LeftFor(ShredLeftReason::LinkOrCloud), 1);
    EXPECT_EQ(tally.LeftFor(ShredLeftReason::NotCompleted), 2);
    EXPECT_EQ(tally.LeftFor(ShredLeftReason::Other), 1);
}

} // namespace
} // namespace quenzel
