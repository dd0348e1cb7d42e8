// Transforming one file into another: read in bounded chunks, transformed,
// written to a temporary file beside the destination, which takes the
// destination's place only when every byte is written.
#pragma once

#include "crypt/cipher.h"
#include "crypt/job_settings.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quenzel {

// What went wrong with a file; the pages turn it into their own message.
enum class TransformStatus {
    Ok,
    SourceOpenFailed,   // missing, locked, no access
    SourceReadFailed,   // a short or failed read: treated like an unopenable source
    KeyUnavailable,     // the job's key has no key byte
    OutputCreateFailed, // the temporary output could not be made, or the destination is a folder or read-only
    WriteFailed,        // a write failed (full volume, I/O error)
    ReplaceFailed,      // the finished output could not take the destination's place
    OutOfMemory,
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
};

struct TransformOutcome {
    TransformStatus status = TransformStatus::Ok;
    uint64_t size = 0;
    unsigned long systemError = 0;
    // A temporary file that could not be removed after a failure.
    std::wstring strayTemporary;
};

// Bytes read, transformed and written at a time; bounds a job's memory.
inline constexpr size_t TransformChunkBytes = 8u * 1024u * 1024u;

TransformOutcome TransformFile(const TransformRequest& request);

// True when both paths name one existing file (same volume, same file
// index), however they are spelt. After a successful transform it tells
// whether the destination was the source itself, replaced in place. Costs a
// volume query under Wine, so it is asked once per file job, not per file.
bool IsSameFile(const std::wstring& first, const std::wstring& second);

} // namespace quenzel
