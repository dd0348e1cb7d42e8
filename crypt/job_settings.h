// What a job takes from the key controls and the options once, when it
// starts (after its confirmation, before its first file): every file of one
// job is processed with the same key, level and options, whatever the
// controls show meanwhile, and no file is processed with a key read from a
// window that may be gone. Portable: no windows.h.
#pragma once

#include "engine/strong_format.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quenzel {

// A file as the file system knows it, however its path is spelt: the
// volume's serial number and the file's index on it.
struct FileIdentity {
    uint32_t volume = 0;
    uint64_t index = 0;
    bool known = false;

    bool SameFile(const FileIdentity& other) const
    {
        return known && other.known && volume == other.volume && index == other.index;
    }
};

// A key file too long to hold (crypt/cipher_key.h): kept open for the job
// and read in step with the data.
class OpenKeyFile;

// The key of a job: the key bytes, or the open key file, and the level byte.
struct JobKey {
    // The password's bytes in the ANSI code page ("WELK" when the field
    // is empty), or the content of a key file that is short enough to hold;
    // wiped when the job ends.
    SecretBytes bytes;
    // A longer key file, instead of its bytes; its NewReader() gives the
    // bytes in order (also for hashing them).
    std::shared_ptr<const OpenKeyFile> file;
    uint8_t level = 0;
    // A decryption's key file of 4 GiB or more: strong files decrypt with
    // its hash, files of the original format cannot (no such key file can
    // have encrypted them), and neither bytes nor file is set.
    bool legacyTooLarge = false;

    bool Usable() const { return !bytes.empty() || file != nullptr; }
};

struct JobSettings {
    JobKey key;
    // Key-file mode: the key file as chosen and its identity, so that an
    // output of the job can be told apart from it. Empty and unknown in
    // password mode.
    std::wstring keyFilePath;
    FileIdentity keyFile;
    // After a successful file job the source goes to the recycle bin
    // (the recycle option together with the job's ".enc" or ".dec" option).
    bool recycleSource = false;
    // An encryption job writes the strong format (the options page's box).
    bool strongFormat = false;
    // The strong format's key input: the password's UTF-8 bytes or the key
    // file's hash. Taken for a strong encryption and for every decryption,
    // which may meet files of either format.
    SecretBytes strongKeyInput;
};

// The identity of an existing file or folder; unknown when it cannot be
// opened. (Windows builds only.)
FileIdentity IdentityOfFile(const std::wstring& path);
// The identity of the file an open handle (a HANDLE) refers to.
FileIdentity IdentityOfHandle(void* file);

} // namespace quenzel
