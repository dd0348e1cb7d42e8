// What a shred job did with its listed files, for its report: how many were
// shredded and, of those left in the list, how many for each reason.
// Portable: no windows.h.
#pragma once

#include <array>
#include <cstddef>

namespace quenzel {

enum class ShredResult {
    Shredded,     // every byte overwritten and flushed (and the file deleted, when asked)
    InUse,        // another program holds it open or locks a part of it: untouched
    ReadOnly,     // marked read-only: untouched
    NoPermission, // the account may not write it: untouched
    Link, // a link, or a placeholder of a file kept elsewhere (a cloud file): neither it nor what it leads to is touched
    OpenFailed,   // missing, or could not be opened for another reason: untouched
    SizeFailed,   // its size could not be read: untouched
    WriteFailed,  // a write failed or fell short (e.g. a full disk): kept
    FlushFailed,  // the zeros may not have reached the disk: kept
    DeleteFailed, // overwritten and flushed, but the delete failed: kept
};

// The reasons the report gives for the files left in the list.
enum class ShredLeftReason { InUse, ReadOnly, NoPermission, LinkOrCloud, NotCompleted, Other };
inline constexpr int ShredLeftReasonCount = 6;

// The system's error codes of a failed open the reasons are told by.
inline constexpr unsigned long ShredErrorAccessDenied = 5;
inline constexpr unsigned long ShredErrorSharingViolation = 32;
inline constexpr unsigned long ShredErrorLockViolation = 33;

// What the attributes of a file that could not be opened show.
struct FileMarks {
    bool readOnly = false;
    bool reparsePoint = false; // a link, a junction or a cloud placeholder
};

// The result of an open that failed with `error`, for a file with `marks`
// (none known when its attributes cannot be read either).
ShredResult ResultOfOpenFailure(unsigned long error, FileMarks marks);

// The report's reason for a file that was not shredded.
ShredLeftReason LeftReasonOf(ShredResult result);

class ShredTally {
public:
    void Count(ShredResult result);

    int Shredded() const { return shredded_; }
    // The files handled and left in the list, all reasons together.
    int Left() const;
    int LeftFor(ShredLeftReason reason) const { return left_[static_cast<std::size_t>(reason)]; }

private:
    int shredded_ = 0;
    std::array<int, ShredLeftReasonCount> left_{};
};

} // namespace quenzel
