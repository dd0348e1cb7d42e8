// Transforming one file into another: read in bounded chunks, transformed,
// written to a temporary file beside the destination, which takes the
// destination's place only when every byte is written.
#pragma once

#include "crypt/cipher.h"

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
    KeyUnavailable,     // the key step gave no key (it reports why itself)
    OutputCreateFailed, // the temporary output or its folder could not be made, or the destination is a
                        // folder or another file that is read-only
    KeyFileTarget,      // the destination is the key file, which no output may replace
    WriteFailed,        // a write failed (full volume, I/O error)
    ReplaceFailed,      // the finished output could not take the destination's place
    OutOfMemory,
};

// Gives the key of one file; asked once per file, after its source is open.
class KeySource {
public:
    virtual ~KeySource() = default;
    // False when no key can be had (after telling the user why).
    virtual bool FetchKey(std::vector<uint8_t>& key, uint8_t& level) = 0;
};

// One file as the file system knows it, however its path is spelt.
struct FileId {
    bool known = false;
    unsigned long volume = 0;
    unsigned long indexHigh = 0;
    unsigned long indexLow = 0;

    bool Is(const FileId& other) const
    {
        return known && other.known && volume == other.volume && indexHigh == other.indexHigh
               && indexLow == other.indexLow;
    }
};

// The identity of an existing file or folder; not known when it cannot be opened.
FileId IdentityOf(const std::wstring& path);

struct TransformRequest {
    std::wstring source;
    std::wstring destination;
    KeySource* key = nullptr;
    // Moves the progress bar as the per-byte transform would; may be null.
    CipherProgress* progress = nullptr;
    // Told the source's size once it is open, before any progress.
    std::function<void(uint64_t size)> sourceSized;
    // Make the destination's folder, with every missing parent, once the
    // source is open and there is something to write.
    bool createFolder = false;
    // The key file: never replaced by the output.
    FileId keyFile;
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
};

// Bytes read, transformed and written at a time; bounds a job's memory.
inline constexpr size_t TransformChunkBytes = 8u * 1024u * 1024u;

TransformOutcome TransformFile(const TransformRequest& request);

// True when both paths name one existing file (same volume, same file
// index), however they are spelt. After a successful transform it tells
// whether the destination was the source itself, replaced in place. Costs a
// volume query under Wine, so it is asked once per file job, not per file.
bool IsSameFile(const std::wstring& first, const std::wstring& second);

// Creates a folder and every missing parent, long paths and names that end
// in a dot or a space included.
bool CreateFolderChain(const std::wstring& folder);

} // namespace quenzel
