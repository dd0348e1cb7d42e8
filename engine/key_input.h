// Keys from what a user gives: which passwords an encryption refuses, a
// key file's key input read from a stream, and a long classic key file
// read in step with the data. Portable: no windows.h.
#pragma once

#include "engine/byte_stream.h"
#include "engine/cipher.h"
#include "engine/strong_format.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace quenzel {

// The text every copy of the program's password field starts with.
inline constexpr char SamplePassword[] = "MORVANTE";

// True when the `length` characters of `text` (of any character type: a
// Windows string, UTF-16 or UTF-8) are the sample password.
template <typename Char>
constexpr bool IsSamplePassword(const Char* text, size_t length)
{
    if (length != sizeof SamplePassword - 1)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] != static_cast<Char>(SamplePassword[i]))
            return false;
    }
    return true;
}

// Why an encryption takes no password: an empty one (the classic format
// would fall back to its built-in key, which anyone with the program has)
// or the sample password. A decryption takes either.
enum class PasswordRefusal { None, Empty, Sample };

template <typename Char>
constexpr PasswordRefusal RefusedPassword(const Char* text, size_t length)
{
    if (length == 0)
        return PasswordRefusal::Empty;
    return IsSamplePassword(text, length) ? PasswordRefusal::Sample : PasswordRefusal::None;
}

// How reading a key file ended.
enum class KeyFileStatus {
    Ok,
    Empty,       // no byte: no key
    TooLarge,    // 4 GiB or more: too long for the classic format
    ReadFailed,  // the file could not be read to its end
    OutOfMemory, // no memory for the key
    Stopped,     // the progress asked to stop
};

// Key files of the classic format hold less than this many bytes.
inline constexpr uint64_t ClassicKeyFileLimit = 1ull << 32;

// The strong format's key input of a key file: the BLAKE2b-256 hash of
// everything `source` gives, read in bounded pieces, so a key file of any
// size will do. `progress` hears the bytes read and may stop the reading.
KeyFileStatus HashKeyFileInput(ByteReader& source, SecretBytes& keyInput, StrongProgress* progress = nullptr);

// The whole content of a classic key file of `size` bytes (its key bytes),
// read from `source` into secret memory.
KeyFileStatus ReadClassicKeyFile(ByteReader& source, uint64_t size, SecretBytes& key);

// The key bytes of a classic key file too long to hold, read in step with
// the data from a file opened for it; at the key's end the file is opened
// again from its start. It fails (Next gives false) when the file cannot be
// opened again or gives other than `size` bytes.
class FileKeyReader : public KeyReader {
public:
    FileKeyReader(SystemPath path, uint64_t size);
    bool Next(uint8_t* out, size_t length) override;

private:
    SystemPath path_;
    uint64_t size_;
    uint64_t position_ = 0; // bytes of the key read since the file was opened
    std::unique_ptr<FileReader> reader_;
};

} // namespace quenzel
