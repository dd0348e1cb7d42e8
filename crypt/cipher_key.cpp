#include "crypt/cipher_key.h"

#include "base/handles.h"
#include "base/long_path.h"

#include <windows.h>

#include <limits>
#include <new>

namespace quenzel {

namespace {
// The key file is read in pieces of this size; ReadFile takes 32-bit counts.
constexpr DWORD KeyReadPiece = 16u * 1024u * 1024u;
constexpr uint64_t FourGiB = uint64_t(1) << 32;
} // namespace

namespace {
// No sharing: a key file another program holds open is refused.
UniqueFile OpenKeyFile(const std::wstring& path)
{
    return UniqueFile(CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
}
} // namespace

KeyFileResult ReadKeyFile(const std::wstring& path, std::vector<uint8_t>& key)
{
    key.clear();
    UniqueFile file = OpenKeyFile(path);
    if (!file)
        return KeyFileResult::CannotOpen;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size))
        return KeyFileResult::ReadFailed;
    const uint64_t length = static_cast<uint64_t>(size.QuadPart);
    if (length == 0)
        return KeyFileResult::Empty;
    if (length >= FourGiB || length > std::numeric_limits<size_t>::max() / 2)
        return KeyFileResult::TooLarge;
    try {
        key.resize(static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        return KeyFileResult::TooLarge;
    }
    size_t offset = 0;
    while (offset < key.size()) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(KeyReadPiece, key.size() - offset));
        DWORD got = 0;
        if (!ReadFile(file.Get(), key.data() + offset, want, &got, nullptr) || got != want) {
            key.clear();
            return KeyFileResult::ReadFailed;
        }
        offset += got;
    }
    return KeyFileResult::Ok;
}

KeyFileResult HashKeyFile(const std::wstring& path, SecretBytes& keyInput)
{
    UniqueFile file = OpenKeyFile(path);
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
