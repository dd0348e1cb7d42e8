#include "crypt/cipher_key.h"

#include "base/handles.h"
#include "base/long_path.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <new>

namespace quenzel {

namespace {
// The key file is read in pieces of this size; ReadFile takes 32-bit counts.
constexpr DWORD KeyReadPiece = 16u * 1024u * 1024u;
constexpr uint64_t FourGiB = uint64_t(1) << 32;

// Reads at an offset of its own, so the readers of one open key file do not
// move each other's place.
class KeyFileReader : public KeyReader {
public:
    KeyFileReader(HANDLE file, uint64_t size)
        : file_(file)
        , size_(size)
    { }

    bool Next(uint8_t* out, size_t length) override
    {
        while (length > 0) {
            const DWORD piece = static_cast<DWORD>(std::min<uint64_t>({length, size_ - offset_, KeyReadPiece}));
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset_);
            at.OffsetHigh = static_cast<DWORD>(offset_ >> 32);
            DWORD got = 0;
            if (!ReadFile(file_, out, piece, &got, &at) || got != piece)
                return false;
            out += piece;
            length -= piece;
            offset_ += piece;
            if (offset_ == size_)
                offset_ = 0;
        }
        return true;
    }

private:
    HANDLE file_;
    uint64_t size_;
    uint64_t offset_ = 0;
};
} // namespace

namespace {
// No sharing: a key file another program holds open is refused.
UniqueFile OpenKeyFileUnshared(const std::wstring& path)
{
    return UniqueFile(CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}
} // namespace

KeyFileResult ReadKeyFile(const std::wstring& path, SecretBytes& key, FileIdentity* identity)
{
    key = SecretBytes();
    UniqueFile file = OpenKeyFileUnshared(path);
    if (!file)
        return KeyFileResult::CannotOpen;
    if (identity)
        *identity = IdentityOfHandle(file.Get());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size))
        return KeyFileResult::ReadFailed;
    const uint64_t length = static_cast<uint64_t>(size.QuadPart);
    if (length == 0)
        return KeyFileResult::Empty;
    if (length >= FourGiB)
        return KeyFileResult::TooLarge;
    if (length > std::numeric_limits<size_t>::max() / 2)
        return KeyFileResult::OutOfMemory;
    try {
        key = SecretBytes(static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        return KeyFileResult::OutOfMemory;
    }
    size_t offset = 0;
    while (offset < key.size()) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(KeyReadPiece, key.size() - offset));
        DWORD got = 0;
        if (!ReadFile(file.Get(), key.data() + offset, want, &got, nullptr) || got != want) {
            key = SecretBytes();
            return KeyFileResult::ReadFailed;
        }
        offset += got;
    }
    return KeyFileResult::Ok;
}

KeyFileResult OpenKeyFile::Open(const std::wstring& path, std::shared_ptr<const OpenKeyFile>& opened)
{
    opened.reset();
    auto keyFile = std::make_shared<OpenKeyFile>();
    // Shared for reading only: a program that writes to it makes the open
    // fail, and while it is open no one can change it.
    keyFile->file_.Reset(CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!keyFile->file_)
        return KeyFileResult::CannotOpen;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(keyFile->file_.Get(), &size))
        return KeyFileResult::ReadFailed;
    keyFile->size_ = static_cast<uint64_t>(size.QuadPart);
    if (keyFile->size_ == 0)
        return KeyFileResult::Empty;
    if (keyFile->size_ >= FourGiB)
        return KeyFileResult::TooLarge;
    opened = std::move(keyFile);
    return KeyFileResult::Ok;
}

FileIdentity OpenKeyFile::Identity() const
{
    return IdentityOfHandle(file_.Get());
}

std::unique_ptr<KeyReader> OpenKeyFile::NewReader() const
{
    return std::make_unique<KeyFileReader>(file_.Get(), size_);
}

KeyFileResult TakeKeyFile(const std::wstring& path, JobKey& key, FileIdentity& identity, uint64_t heldLimit)
{
    key.bytes = SecretBytes();
    key.file.reset();
    std::shared_ptr<const OpenKeyFile> opened;
    const KeyFileResult result = OpenKeyFile::Open(path, opened);
    if (result != KeyFileResult::Ok)
        return result;
    identity = opened->Identity();
    if (opened->Size() > heldLimit) {
        key.file = std::move(opened);
        return KeyFileResult::Ok;
    }
    // A short key is held, read as before with no sharing at all; the
    // identity the job checks is taken again from the handle it is read
    // through, whatever took the path's place since the first open.
    opened.reset();
    return ReadKeyFile(path, key.bytes, &identity);
}

KeyFileResult HashKeyFile(const std::wstring& path, SecretBytes& keyInput)
{
    UniqueFile file = OpenKeyFileUnshared(path);
    if (!file)
        return KeyFileResult::CannotOpen;
    KeyFileHasher hasher;
    SecretBytes piece(StrongChunkBytes);
    uint64_t total = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr))
            return KeyFileResult::ReadFailed;
        if (got == 0)
            break;
        hasher.Update(piece.data(), got);
        total += got;
    }
    if (total == 0)
        return KeyFileResult::Empty;
    keyInput = hasher.Finish();
    return KeyFileResult::Ok;
}

} // namespace quenzel
