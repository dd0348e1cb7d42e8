// Reading the key bytes of a key file: a short key is held, a long one is
// kept open and read in step with the data, so memory stays bounded for a
// key file of any size.
#pragma once

#include "base/handles.h"
#include "engine/cipher.h"
#include "crypt/job_settings.h"
#include "engine/strong_format.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quenzel {

enum class KeyFileResult {
    Ok,
    CannotOpen,  // missing, locked by another program, no access
    Empty,       // no key byte: the transform needs at least one
    TooLarge,    // 4 GiB or more
    ReadFailed,  // the file could not be read whole
    OutOfMemory, // no memory for a key that is held
    NotOnDisk,   // a device, a pipe or a console: a read might wait for ever
    Stopped,     // the job was asked to stop while the file was read
};

// Key files up to this size are held in memory for a job; longer ones are
// read in step with the data.
inline constexpr uint64_t HeldKeyBytes = 8u * 1024u * 1024u;
// A key file read whole (held or hashed) is read in pieces of this size.
inline constexpr uint64_t KeyFilePieceBytes = 1024u * 1024u;

// Told how far the reading of a whole key file has come, and asked before
// each piece whether the job is to stop.
class KeyFileProgress {
public:
    virtual ~KeyFileProgress() = default;
    // `done` of the file's `total` bytes are read.
    virtual void Advanced(uint64_t done, uint64_t total) = 0;
    virtual bool StopAsked() const = 0;
};

// Reads the whole key file, opened without sharing, into `key`. Only a file
// on a disk is read (NotOnDisk otherwise). The identity of the file read,
// taken from the same handle, goes to `identity` when one is given.
KeyFileResult ReadKeyFile(const std::wstring& path, SecretBytes& key, KeyFileProgress* progress = nullptr,
                          FileIdentity* identity = nullptr);

// A key file too long to hold, kept open for as long as a job holds it:
// other readers may open it (the job's own sources among them), no one may
// write, replace or delete it meanwhile.
class OpenKeyFile {
public:
    static KeyFileResult Open(const std::wstring& path, std::shared_ptr<const OpenKeyFile>& opened);

    uint64_t Size() const { return size_; }
    FileIdentity Identity() const;
    // A reader from the key's first byte, wrapping after its last; each
    // file of a job gets a reader of its own.
    std::unique_ptr<KeyReader> NewReader() const;

private:
    UniqueFile file_;
    uint64_t size_ = 0;
};

// A job's key from a key file: held as bytes up to `heldLimit` bytes, kept
// open beyond it; `identity` is that of the file the key is read from.
KeyFileResult TakeKeyFile(const std::wstring& path, JobKey& key, FileIdentity& identity,
                          uint64_t heldLimit = HeldKeyBytes, KeyFileProgress* progress = nullptr);
// The strong format's key input of a key file, opened as ReadKeyFile opens
// it: the BLAKE2b hash of its whole content, read in bounded pieces, so a
// key file of any size will do (never TooLarge).
KeyFileResult HashKeyFile(const std::wstring& path, SecretBytes& keyInput, KeyFileProgress* progress = nullptr);

} // namespace quenzel
