#include "crypt/verify_files.h"

#include <memory>

namespace quenzel {

VerifyVerdict VerdictOf(StrongStatus status)
{
    switch (status) {
    case StrongStatus::Ok:
        return VerifyVerdict::Intact;
    case StrongStatus::NotStrongFormat:
    case StrongStatus::UnsupportedVersion:
        return VerifyVerdict::NotCheckable;
    case StrongStatus::BadParameters:
    case StrongStatus::Damaged:
    case StrongStatus::Truncated:
        return VerifyVerdict::Damaged;
    case StrongStatus::WrongKeyOrDamaged:
        return VerifyVerdict::WrongKey;
    case StrongStatus::Stopped:
        return VerifyVerdict::Stopped;
    case StrongStatus::ReadFailed:
    case StrongStatus::WriteFailed: // a verification writes nowhere
        return VerifyVerdict::Unreadable;
    case StrongStatus::OutOfMemory:
        return VerifyVerdict::OutOfMemory;
    case StrongStatus::NoHashingMemory:
        return VerifyVerdict::NoHashingMemory;
    case StrongStatus::LibraryFailed:
        return VerifyVerdict::Unavailable;
    }
    return VerifyVerdict::Unavailable;
}

bool VerdictEndsJob(VerifyVerdict verdict)
{
    return verdict == VerifyVerdict::Stopped || verdict == VerifyVerdict::OutOfMemory
        || verdict == VerifyVerdict::NoHashingMemory || verdict == VerifyVerdict::Unavailable;
}

VerifyVerdict VerifyStrongFile(const SystemPath& path, StrongDecryptor& decryptor, VerifyProgress* progress)
{
    StreamError error;
    const std::unique_ptr<FileReader> reader = FileReader::Open(path, error);
    if (!reader)
        return VerifyVerdict::Unreadable;
    uint64_t size = 0;
    if (progress && reader->KnownSize(size))
        progress->Sized(size);
    return VerdictOf(decryptor.Verify(*reader, progress));
}

void VerifyTally::Add(VerifyVerdict verdict, const std::wstring& name)
{
    if (VerdictEndsJob(verdict))
        return;
    ++checked_;
    ++counts_[Index(verdict)];
    const bool named =
        verdict == VerifyVerdict::Damaged || verdict == VerifyVerdict::WrongKey || verdict == VerifyVerdict::Unreadable;
    std::vector<std::wstring>& names = names_[Index(verdict)];
    if (named && names.size() < namesKept_)
        names.push_back(name);
}

} // namespace quenzel
