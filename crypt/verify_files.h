// The verification of strong files without writing anything: each file
// opened with the engine's FileReader and read to its final chunk by
// StrongDecryptor::Verify, its outcome one of a few verdicts, and the
// verdicts of a list counted for the report. Portable: no windows.h.
#pragma once

#include "engine/byte_stream.h"
#include "engine/strong_format.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quenzel {

enum class VerifyVerdict {
    Intact,
    Damaged,         // changed, cut, or a header the format refuses
    WrongKey,        // does not open with the key set (or damaged at its start)
    NotCheckable,    // the original format, which carries nothing to check, or a later version
    Unreadable,      // could not be opened or read
    Stopped,         // the job was asked to stop within the file
    OutOfMemory,     // no memory for a chunk: the job ends
    NoHashingMemory, // no memory for Argon2id: the job ends
    Unavailable,     // libsodium could not start: the job ends
};
inline constexpr size_t VerifyVerdictCount = static_cast<size_t>(VerifyVerdict::Unavailable) + 1;

VerifyVerdict VerdictOf(StrongStatus status);
// True for the verdicts after which no further file is checked.
bool VerdictEndsJob(VerifyVerdict verdict);

// Told the file's size before its first chunk; the engine then tells the
// plaintext bytes done (never more than the size).
class VerifyProgress : public StrongProgress {
public:
    virtual void Sized(uint64_t fileBytes) = 0;
};

// The file at `path` verified with the decryptor's key.
VerifyVerdict VerifyStrongFile(const SystemPath& path, StrongDecryptor& decryptor, VerifyProgress* progress = nullptr);

// The verdicts of a list, each file's name kept for the report when it is
// not intact (damaged, wrong key, unreadable), at most `namesKept` each. A
// verdict that ends the job checked no file and is not counted.
class VerifyTally {
public:
    explicit VerifyTally(size_t namesKept)
        : namesKept_(namesKept)
    { }
    void Add(VerifyVerdict verdict, const std::wstring& name);

    int Count(VerifyVerdict verdict) const { return counts_[Index(verdict)]; }
    // The files of a verdict, in order, up to the names kept.
    const std::vector<std::wstring>& Names(VerifyVerdict verdict) const { return names_[Index(verdict)]; }
    int Checked() const { return checked_; }
    bool AllIntact() const { return checked_ > 0 && Count(VerifyVerdict::Intact) == checked_; }

private:
    static size_t Index(VerifyVerdict verdict) { return static_cast<size_t>(verdict); }
    size_t namesKept_;
    int checked_ = 0;
    std::array<int, VerifyVerdictCount> counts_{};
    std::array<std::vector<std::wstring>, VerifyVerdictCount> names_;
};

} // namespace quenzel
