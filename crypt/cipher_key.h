// Reading the key bytes of a key file.
#pragma once

#include "crypt/strong_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quenzel {

enum class KeyFileResult {
    Ok,
    CannotOpen,   // missing, locked by another program, no access
    Empty,        // no key byte: the transform needs at least one
    TooLarge,     // 4 GiB or more, or more than this process can hold
    ReadFailed,   // the file could not be read whole
};

// Reads the whole key file, opened without sharing, into `key`.
KeyFileResult ReadKeyFile(const std::wstring& path, std::vector<uint8_t>& key);

// The strong format's key input of a key file, opened as ReadKeyFile opens
// it: the BLAKE2b hash of its whole content, read in bounded pieces, so a
// key file of any size will do (never TooLarge).
KeyFileResult HashKeyFile(const std::wstring& path, SecretBytes& keyInput);

} // namespace quenzel
