#include "crypt/cipher_key.h"

#include "base/handles.h"
#include "base/long_path.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <new>

namespace quenzel {

namespace {
// A long key file is read in step with the data in pieces of at most this
// size; ReadFile takes 32-bit counts.
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
bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// A path in the device namespace ("\\.\pipe\name", "\\.\COM1",
// "\\.\CONIN$") names no file on a disk, unless it names a drive's file
// ("\\.\C:\key.bin"): refused before it is opened, since opening a device
// may wait too.
bool NamesDevice(const std::wstring& path)
{
    if (path.size() < 4 || !IsSeparator(path[0]) || !IsSeparator(path[1]) || path[2] != L'.' || !IsSeparator(path[3]))
        return false;
    const wchar_t letter = static_cast<wchar_t>(path.size() > 5 ? path[4] | 0x20 : 0);
    return !(letter >= L'a' && letter <= L'z' && path[5] == L':');
}

// Opens the key file for reading with `share` (0: a key file another
// program holds open is refused), as a file on a disk only: reading a pipe,
// a device or a console may wait for ever.
KeyFileResult OpenOnDisk(const std::wstring& path, DWORD share, UniqueFile& file)
{
    file.Reset();
    if (NamesDevice(path))
        return KeyFileResult::NotOnDisk;
    file.Reset(CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return KeyFileResult::CannotOpen;
    // "NUL", "COM1" or "CONIN$" alone opens a device too.
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
        file.Reset();
        return KeyFileResult::NotOnDisk;
    }
    return KeyFileResult::Ok;
}

// Before each piece: tells how far the reading has come; true when the job
// is to stop.
bool StopBeforePiece(KeyFileProgress* progress, uint64_t done, uint64_t total)
{
    if (!progress)
        return false;
    progress->Advanced(done, total);
    return progress->StopAsked();
}

// Hashes the open key file's content, `total` bytes as its size says, a
// piece at a time.
KeyFileResult HashPieces(HANDLE file, uint64_t total, SecretBytes& keyInput, KeyFileProgress* progress)
{
    KeyFileHasher hasher;
    SecretBytes piece(KeyFilePieceBytes);
    uint64_t done = 0;
    for (;;) {
        if (StopBeforePiece(progress, done, total))
            return KeyFileResult::Stopped;
        DWORD got = 0;
        if (!ReadFile(file, piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr))
            return KeyFileResult::ReadFailed;
        if (got == 0)
            break;
        hasher.Update(piece.data(), got);
        done += got;
    }
    if (done == 0)
        return KeyFileResult::Empty;
    keyInput = hasher.Finish();
    return KeyFileResult::Ok;
}
} // namespace

KeyFileResult ReadKeyFile(const std::wstring& path, SecretBytes& key, KeyFileProgress* progress, FileIdentity* identity)
{
    key = SecretBytes();
    UniqueFile file;
    const KeyFileResult opened = OpenOnDisk(path, 0, file);
    if (opened != KeyFileResult::Ok)
        return opened;
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
        if (StopBeforePiece(progress, offset, key.size())) {
            key = SecretBytes();
            return KeyFileResult::Stopped;
        }
        const DWORD want = static_cast<DWORD>(std::min<uint64_t>(KeyFilePieceBytes, key.size() - offset));
        DWORD got = 0;
        if (!ReadFile(file.Get(), key.data() + offset, want, &got, nullptr) || got != want) {
            key = SecretBytes();
            return KeyFileResult::ReadFailed;
        }
        offset += got;
    }
    if (progress)
        progress->Advanced(offset, key.size());
    return KeyFileResult::Ok;
}

KeyFileResult OpenKeyFile::Open(const std::wstring& path, std::shared_ptr<const OpenKeyFile>& opened)
{
    opened.reset();
    auto keyFile = std::make_shared<OpenKeyFile>();
    // Shared for reading only: a program that writes to it makes the open
    // fail, and while it is open no one can change it.
    const KeyFileResult result = OpenOnDisk(path, FILE_SHARE_READ, keyFile->file_);
    if (result != KeyFileResult::Ok)
        return result;
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

KeyFileResult TakeKeyFile(const std::wstring& path, JobKey& key, FileIdentity& identity, uint64_t heldLimit,
                          KeyFileProgress* progress)
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
    return ReadKeyFile(path, key.bytes, progress, &identity);
}

KeyFileResult HashKeyFile(const std::wstring& path, SecretBytes& keyInput, KeyFileProgress* progress)
{
    UniqueFile file;
    const KeyFileResult opened = OpenOnDisk(path, 0, file);
    if (opened != KeyFileResult::Ok)
        return opened;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size))
        return KeyFileResult::ReadFailed;
    try {
        return HashPieces(file.Get(), static_cast<uint64_t>(size.QuadPart), keyInput, progress);
    } catch (const std::bad_alloc&) {
        return KeyFileResult::OutOfMemory;
    }
}

} // namespace quenzel
