// Transforming one file into another: read in bounded chunks, transformed,
// and written either to a temporary file beside the destination, which takes
// the destination's place only when every byte is written, or, where no
// destination exists yet, to the destination itself; either output is marked
// for deletion on close until every byte is written.
#pragma once

#include "engine/cipher.h"
#include "crypt/job_settings.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quenzel {

// What went wrong with a file; the pages turn it into their own message.
enum class TransformStatus {
    Ok,
    SourceOpenFailed,    // missing, locked, no access
    SourceReadFailed,    // a short or failed read: treated like an unopenable source
    KeyUnavailable,      // the job's key has no key byte
    OutputCreateFailed,  // the output or its folder could not be made, or the destination is a folder
    DestinationReadOnly, // the destination, the source itself included, is read-only and was not to be replaced
    KeyFileTarget,       // the destination is the key file, which no output may replace
    WriteFailed,         // a write failed (full volume, I/O error)
    ReplaceFailed,       // the finished output could not take the destination's place
    OutOfMemory,
    NoHashingMemory,   // the strong format's password hashing found too little memory
    WrongKeyOrDamaged, // a strong file that does not authenticate: wrong password or key file, or damaged
    LaterVersion,      // a strong file of a later version of the format
    StrongUnavailable, // the strong format's library cannot start
    KeyReadFailed,     // a key file read in step with the data could not be read
    KeyFileTooLarge,   // a file of the original format met by a decryption whose key file is 4 GiB or more
    Stopped,           // the job was asked to stop before this file was done
};

struct TransformRequest {
    std::wstring source;
    std::wstring destination;
    // The job's key, taken once when the job started.
    const JobKey* key = nullptr;
    // Moves the progress bar as the per-byte transform would; may be null.
    CipherProgress* progress = nullptr;
    // Told the source's size once it is open, before any progress.
    std::function<void(uint64_t size)> sourceSized;
    // Looked at between pieces: once set, the file is given up and its
    // temporary output removed; source and destination stay as they were.
    const std::atomic<bool>* stop = nullptr;
    // Make the destination's folder, with every missing parent, once the
    // source is open and there is something to write.
    bool createFolder = false;
    // The job's key file: never replaced by the output.
    FileIdentity keyFile;
    // A read-only destination may be replaced (the user said so); it stays
    // read-only. Otherwise it is refused with nothing written.
    bool replaceReadOnly = false;
    // An existing destination other than the source is never replaced: the
    // output takes the next free name beside it (FreeOutputName).
    bool freeName = false;
};

struct TransformOutcome {
    TransformStatus status = TransformStatus::Ok;
    uint64_t size = 0;
    unsigned long systemError = 0;
    // A temporary file that could not be removed after a failure.
    std::wstring strayTemporary;
    // The replaced destination's hidden, system and read-only attributes or
    // its creation time could not be given to the new file.
    bool attributesLost = false;
    // A decryption that found a file of the original format, which cannot
    // tell a wrong key or a damaged file: its output was never authenticated.
    bool originalFormat = false;
    // The replaced destination's access control list could not be given to the new file.
    bool permissionsLost = false;
};

// Bytes read, transformed and written at a time; bounds a job's memory.
inline constexpr size_t TransformChunkBytes = 8u * 1024u * 1024u;

TransformOutcome TransformFile(const TransformRequest& request);

// The steps that tell one transform from another on the shared path of
// TransformThroughTemporary.
class TransformSteps {
public:
    virtual ~TransformSteps() = default;
    // The source is open (at its start) and sized; no output is made yet.
    // Anything but Ok ends the transform with nothing written.
    virtual TransformStatus Prepare(HANDLE source, uint64_t size) = 0;
    // Reads the source from its start and writes the whole output; the
    // status of the first failure, with the system's error in `error`.
    virtual TransformStatus Fill(HANDLE source, HANDLE output, uint64_t size, DWORD& error) = 0;
};

// The path every transform takes: the source opened and sized, the steps
// prepared, a folder, the key file or (unless asked for) a read-only file
// refused as destination (or, when asked for, any existing file other than the
// source left alone for the next free name), the destination's folder made when
// asked for, the output written to a temporary file of a random name beside
// an existing destination, which takes its place through its own handle only
// when every byte is written and flushed to the disk, or to a new
// destination; either is marked for deletion on close until then, so on any
// failure the unfinished output goes again, and a job that dies or is killed
// leaves none behind. A replaced file hands on its access control list (the
// temporary file has it from its creation), its hidden, system and read-only
// attributes and its creation time. Every path is used in its extended form,
// so a name that ends in a dot or a space is the file named.
TransformOutcome TransformThroughTemporary(const TransformRequest& request, TransformSteps& steps);
TransformOutcome TransformThroughTemporary(const std::wstring& source, const std::wstring& destination,
                                           TransformSteps& steps);

// The legacy format's steps: the job's key, the bytes transformed in
// bounded chunks.
class LegacyTransformSteps : public TransformSteps {
public:
    explicit LegacyTransformSteps(const TransformRequest& request)
        : request_(request)
    { }
    TransformStatus Prepare(HANDLE source, uint64_t size) override;
    TransformStatus Fill(HANDLE source, HANDLE output, uint64_t size, DWORD& error) override;

private:
    const TransformRequest& request_;
};

// A read of exactly `length` bytes, or false; a write of all `length` bytes,
// or false. Either takes as many calls as needed; a failure leaves the
// system's error for GetLastError (ERROR_HANDLE_EOF for a file that ended).
bool ReadExactly(HANDLE file, uint8_t* data, DWORD length);
bool WriteExactly(HANDLE file, const uint8_t* data, DWORD length);

// True when both paths name one existing file (same volume, same file
// index), however they are spelt. After a successful transform it tells
// whether the destination was the source itself, replaced in place. Costs a
// volume query under Wine, so it is asked once per file job, not per file.
bool IsSameFile(const std::wstring& first, const std::wstring& second);

// Creates a folder and every missing parent, long paths and names that end
// in a dot or a space included.
bool CreateFolderChain(const std::wstring& folder);

} // namespace quenzel
