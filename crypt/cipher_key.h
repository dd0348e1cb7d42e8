// Reading the key bytes of a key file.
#pragma once

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

} // namespace quenzel
