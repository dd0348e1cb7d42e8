#include "shredder/shred_tally.h"

#include <numeric>

namespace quenzel {

ShredResult ResultOfOpenFailure(unsigned long error, FileMarks marks)
{
    if (marks.reparsePoint)
        return ShredResult::Link;
    if (error == ShredErrorSharingViolation || error == ShredErrorLockViolation)
        return ShredResult::InUse;
    if (error == ShredErrorAccessDenied)
        return marks.readOnly ? ShredResult::ReadOnly : ShredResult::NoPermission;
    return ShredResult::OpenFailed;
}

ShredLeftReason LeftReasonOf(ShredResult result)
{
    switch (result) {
    case ShredResult::InUse:
        return ShredLeftReason::InUse;
    case ShredResult::ReadOnly:
        return ShredLeftReason::ReadOnly;
    case ShredResult::NoPermission:
        return ShredLeftReason::NoPermission;
    case ShredResult::Link:
        return ShredLeftReason::LinkOrCloud;
    case ShredResult::WriteFailed:
    case ShredResult::FlushFailed:
    case ShredResult::DeleteFailed:
        return ShredLeftReason::NotCompleted;
    default:
        return ShredLeftReason::Other;
    }
}

void ShredTally::Count(ShredResult result)
{
    if (result == ShredResult::Shredded)
        ++shredded_;
    else
        ++left_[static_cast<std::size_t>(LeftReasonOf(result))];
}

int ShredTally::Left() const
{
    return std::accumulate(left_.begin(), left_.end(), 0);
}

} // namespace quenzel
