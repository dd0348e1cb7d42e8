// The file transform: byte i of a file becomes byte i ^ level ^ key[i mod L].
// Encrypting and decrypting are the same operation. Portable: no windows.h.
#pragma once

#include "engine/strong_format.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quenzel {

// Files below this many bytes move the progress bar one step per byte.
inline constexpr uint64_t StepwiseProgressLimit = 100;

// Receives the progress bar's movement while a file is transformed.
class CipherProgress {
public:
    virtual ~CipherProgress() = default;
    // The bar's new position (files of 100 bytes and more).
    virtual void SetPosition(uint32_t position) = 0;
    // One step of the bar (files below 100 bytes: one step per byte).
    virtual void Step() = 0;
};

// The default password, used when the password field is empty.
inline constexpr char DefaultPassword[] = "WELK";

// Key bytes of a password given in the ANSI code page; an empty password
// gives the default password's bytes.
SecretBytes PasswordKeyBytes(const char* ansi, size_t length);

// The bytes of a key too long to hold in memory, read as the data goes
// through: the next bytes in order, the key's first byte again after its last.
class KeyReader {
public:
    virtual ~KeyReader() = default;
    // Fills `out` with the next `length` key bytes; false when they could not be read.
    virtual bool Next(uint8_t* out, size_t length) = 0;
};

// One file's transform. The key position starts at 0 and runs on across
// calls, so a file may be transformed in chunks with the same result as in
// one piece.
class CipherStream {
public:
    // keyLength must be at least 1. Throws bad_alloc when there is no
    // memory for the key's pattern.
    CipherStream(const uint8_t* key, size_t keyLength, uint8_t level);
    // A key read in step with the data, a bounded piece at a time. When the
    // reader fails, the stream stops transforming and Failed() says so.
    CipherStream(KeyReader& reader, uint8_t level);
    CipherStream(const CipherStream&) = delete;
    CipherStream& operator=(const CipherStream&) = delete;

    // Transforms the next `length` bytes of the file in place.
    void Apply(uint8_t* data, size_t length);

    // The same, reporting the progress of a file of `fileLength` bytes as
    // the per-byte definition does: for files of 100 bytes and more the
    // position index/(fileLength/100) each time it changes; below 100 bytes
    // one step per byte. Chunks must come in order.
    void ApplyWithProgress(uint8_t* data, size_t length, uint64_t fileLength, CipherProgress& progress);

    uint64_t BytesDone() const { return done_; }
    // The key reader failed: the data from that point on is not transformed.
    bool Failed() const { return failed_; }

private:
    void XorRun(uint8_t* data, size_t length);
    void XorRunFromReader(uint8_t* data, size_t length);

    // key ^ level, repeated to a whole number of keys; with a key reader,
    // the current piece of the key ^ level: locked, and wiped when it goes
    SecretBytes pattern_;
    size_t keyLength_;
    KeyReader* reader_ = nullptr;
    uint8_t level_ = 0;
    bool failed_ = false;
    size_t keyPosition_ = 0;    // always below keyLength_
    uint64_t done_ = 0;         // bytes of the file transformed so far
    uint64_t lastPosition_ = 0; // last progress position reported
};

// The instruction sets the transform's inner loop can use; the best one the
// processor offers is chosen on first use.
enum class XorPath { Portable, Sse2, Avx2 };

// Makes the transform use `path` from now on (for the tests and the
// benchmark); false, changing nothing, when the processor lacks it.
bool UseXorPath(XorPath path);
// Back to the best path the processor offers.
void UseBestXorPath();

// The transform of a whole buffer in one call: (key, level, buffer, length,
// progress). Returns false, leaving the buffer alone, when there is no key byte.
bool TransformBuffer(const uint8_t* key, size_t keyLength, uint8_t level, uint8_t* data, size_t length,
                     CipherProgress* progress);

// How a classic transform of a stream ended.
enum class ClassicStatus {
    Ok,
    ReadFailed,
    WriteFailed,
    KeyReadFailed, // the key read in step with the data could not be read
    OutOfMemory,
    Stopped,
};

// Transforms the whole stream (encrypting and decrypting alike) through
// `cipher` in bounded chunks; `progress` hears the bytes done and is asked
// before each chunk whether to stop.
ClassicStatus TransformClassic(ByteReader& source, ByteWriter& destination, CipherStream& cipher,
                               StrongProgress* progress = nullptr);

} // namespace quenzel
