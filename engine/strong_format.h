// The strong format: files encrypted with libsodium's secretstream
// (XChaCha20-Poly1305) under a key that Argon2id derives from a password or
// a key file. Authenticated: a wrong key, a changed byte, a cut or a swapped
// chunk is detected. docs/format.md describes the bytes. Portable: no
// windows.h; files come and go through ByteReader and ByteWriter
// (engine/byte_stream.h).
#pragma once

#include "engine/byte_stream.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace quenzel {

// The file's first bytes; no file of the legacy format is expected to start so.
inline constexpr uint8_t StrongMagic[8] = {0x89, 'Q', 'Z', 'S', '\r', '\n', 0x1A, '\n'};
// The format's versions: 2 is written; 1 (whose header does not commit to
// its key) is still read.
inline constexpr uint8_t StrongVersion1 = 1;
inline constexpr uint8_t StrongVersion2 = 2;
inline constexpr uint8_t StrongVersion = StrongVersion2;
inline constexpr size_t StrongVersionAt = sizeof StrongMagic;
inline constexpr size_t StrongSaltBytes = 16;
inline constexpr size_t StrongStreamHeaderBytes = 24;
// Version 1's header: magic, version, operations (4), memory in KiB (4),
// salt, stream header.
inline constexpr size_t StrongHeaderBytesV1 = StrongVersionAt + 1 + 4 + 4 + StrongSaltBytes + StrongStreamHeaderBytes;
// Version 2's header: version 1's fields, then the commitment: a MAC of
// those bytes under a key of its own derived with the stream's key, so a
// header opens under the one key that made it.
inline constexpr size_t StrongCommitmentBytes = 32;
inline constexpr size_t StrongHeaderBytesV2 = StrongHeaderBytesV1 + StrongCommitmentBytes;
inline constexpr size_t StrongHeaderBytesMost = StrongHeaderBytesV2;
// The header's size for a version byte; 0 for a version not known.
constexpr size_t StrongHeaderBytesFor(uint8_t version)
{
    return version == StrongVersion1 ? StrongHeaderBytesV1 : version == StrongVersion2 ? StrongHeaderBytesV2 : 0;
}
// Plaintext bytes per chunk; each chunk grows by StrongChunkOverhead bytes.
inline constexpr size_t StrongChunkBytes = 1u << 20;
inline constexpr size_t StrongChunkOverhead = 17;
inline constexpr size_t StrongSealedChunkBytes = StrongChunkBytes + StrongChunkOverhead;
// A chunk is sealed and opened in place, in one buffer of
// StrongSealedChunkBytes: the sealed chunk fills it from its start, its
// plaintext lies one byte in (after the tag byte), so no second buffer and
// no copy is needed.
inline constexpr size_t StrongChunkPlainAt = 1;

using StrongSalt = std::array<uint8_t, StrongSaltBytes>;
using StrongStreamHeader = std::array<uint8_t, StrongStreamHeaderBytes>;
// Room for the header of any version; a version's header fills its start.
using StrongHeader = std::array<uint8_t, StrongHeaderBytesMost>;

// Argon2id's cost: passes over the memory, and the memory in KiB.
struct KdfParams {
    uint32_t opsLimit = 0;
    uint32_t memKiB = 0;
    bool operator==(const KdfParams& other) const { return opsLimit == other.opsLimit && memKiB == other.memKiB; }
};
// What encryption uses: the library's moderate limits (3 passes, 256 MiB).
inline constexpr KdfParams StrongDefaultParams{3, 256u * 1024u};
// What decryption accepts from a header: no less than libsodium's
// interactive limits (2 passes, 64 MiB), at most four times the cost written
// (passes × memory) and at most 1 GiB (a 32-bit process must be able to get
// the memory). Anything else is a damaged header, refused before deriving: a
// hostile header cannot keep a job busy for minutes.
inline constexpr KdfParams StrongLeastParams{2, 64u * 1024u};
inline constexpr uint64_t StrongMostCost = 4ull * StrongDefaultParams.opsLimit * StrongDefaultParams.memKiB;
inline constexpr uint32_t StrongMostMemKiB = 1024u * 1024u;

// The Argon2id costs a decryption takes from a header.
struct KdfBounds {
    KdfParams least;   // passes and memory, each at least
    uint64_t mostCost; // passes × KiB at most
    uint32_t mostMemKiB;
};
inline constexpr KdfBounds StrongAcceptedBounds{StrongLeastParams, StrongMostCost, StrongMostMemKiB};

bool StrongParamsAccepted(const KdfParams& params, const KdfBounds& bounds = StrongAcceptedBounds);

enum class StrongStatus {
    Ok,
    NotStrongFormat,    // the data clearly does not start with the magic
    UnsupportedVersion, // written by a later version of the format
    BadParameters,      // the header's Argon2id cost is outside what is accepted: damaged
    WrongKeyOrDamaged,  // the header and first chunk do not authenticate: wrong password or key file, or damaged
    Damaged,            // a later chunk does not authenticate (changed, cut inside, swapped) or data follows the end
    Truncated,          // the data ends before its final chunk
    Stopped,            // the job was asked to stop: the output is unfinished
    ReadFailed,
    WriteFailed,
    OutOfMemory,     // a chunk buffer could not be had
    NoHashingMemory, // Argon2id's memory could not be had
    LibraryFailed,   // libsodium could not start
};

// Bytes of a secret (a password, a key file's content or hash, a derived
// key): held in pages of their own (small ones in slots of shared pages),
// locked in memory where the system lets
// them be (so they do not reach the page file), and wiped when they go. A
// fixed size, never grown, so no copy is left behind. Throws bad_alloc when
// the memory cannot be had.
class SecretBytes {
public:
    SecretBytes() = default;
    explicit SecretBytes(size_t size); // zeroed
    SecretBytes(const void* data, size_t size);
    ~SecretBytes();
    SecretBytes(SecretBytes&& other) noexcept;
    SecretBytes& operator=(SecretBytes&& other) noexcept;
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;

    uint8_t* data() { return bytes_; }
    const uint8_t* data() const { return bytes_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    void Release();
    uint8_t* bytes_ = nullptr;
    size_t size_ = 0;
    // In a shared block of small secrets rather than pages of its own.
    bool pooled_ = false;
};

// Wipes memory that held a secret, in a way the compiler keeps.
void WipeSecret(void* data, size_t size);

// Secrets the system refused to lock in memory so far: each still works,
// wiped when it goes, but may have reached the page file. Counted, so a
// test can tell that the room made at start (RaiseLockableMemory) suffices.
size_t SecretLockFailures();

// Starts libsodium once; false when it cannot run.
bool SodiumReady();

// The key input of a password: its UTF-8 bytes, whatever the code page.
SecretBytes PasswordKeyInput(const std::string& utf8);
// The same from UTF-16 (a Windows string), with no copy left unwiped; a
// lone surrogate counts as U+FFFD, as Windows converts it.
SecretBytes PasswordKeyInput(const char16_t* utf16, size_t length);

// The key input of a key file: BLAKE2b-256 of its whole content, fed in
// pieces as it is read. Throws bad_alloc when there is no memory for its
// state.
class KeyFileHasher {
public:
    KeyFileHasher();
    KeyFileHasher(const KeyFileHasher&) = delete;
    KeyFileHasher& operator=(const KeyFileHasher&) = delete;
    void Update(const uint8_t* data, size_t length);
    SecretBytes Finish();

private:
    SecretBytes state_; // crypto_generichash_state, locked
};

// Argon2id of the key input into a 32-byte key: version 1's stream key,
// the key version 2 derives its two keys from.
StrongStatus DeriveStrongKey(const SecretBytes& keyInput, const KdfParams& params, const StrongSalt& salt,
                             SecretBytes& key);

// Version 2's keys from Argon2id's output: one for the stream, one for the
// header's commitment.
struct StrongKeysV2 {
    SecretBytes stream;
    SecretBytes commitment;
};
StrongKeysV2 SplitStrongKey(const SecretBytes& argon2Key);
// Writes version 2's commitment of `header` (its first StrongHeaderBytesV1
// bytes) into it, after them.
void CommitStrongHeader(const SecretBytes& commitmentKey, uint8_t* header);
// True when the commitment in `header` is the one of `commitmentKey`.
bool StrongHeaderCommitted(const SecretBytes& commitmentKey, const uint8_t* header);

// Told the plaintext bytes done so far after each chunk, and asked before
// each chunk whether the job is to stop.
class StrongProgress {
public:
    virtual ~StrongProgress() = default;
    virtual void Advanced(uint64_t plaintextBytes) = 0;
    virtual bool StopAsked() const { return false; }
};

// True when data of this length starts as a strong file does.
bool IsStrongFormat(const uint8_t* start, size_t length);

// What the first eight bytes of a file say about its format.
enum class StrongStart {
    Strong,  // the magic
    Damaged, // the magic but for one or two bytes (a byte missing from a shorter file counts as one)
    Other,   // clearly not the magic: a file of the original format
};
StrongStart ClassifyStart(const uint8_t* start, size_t length);

// What a strong file's header and length tell without a key.
struct StrongFileInfo {
    uint8_t version = 0;
    KdfParams params;
    uint64_t chunks = 0;
    uint64_t plaintextBytes = 0;
};
// Reads the header and counts the chunks by the file's length, reading it
// to its end: NotStrongFormat, Damaged (a magic off by a byte or two, or a
// last chunk shorter than its tag), UnsupportedVersion, Truncated (no
// chunk) or ReadFailed when it cannot tell.
StrongStatus ReadStrongInfo(ByteReader& source, StrongFileInfo& info);

// The size of a strong file holding `plaintextBytes`.
uint64_t StrongEncryptedSize(uint64_t plaintextBytes);

// One file's stream, a chunk at a time, each sealed or opened in its own
// buffer in place (StrongChunkPlainAt); started by StrongEncryptor::Start or
// StrongDecryptor::Start. Its state, taken when it starts, is locked in
// memory and wiped when it goes.
class StrongChunkStream {
public:
    StrongChunkStream() = default;
    StrongChunkStream(const StrongChunkStream&) = delete;
    StrongChunkStream& operator=(const StrongChunkStream&) = delete;

    // Seals the `length` plaintext bytes at buffer + StrongChunkPlainAt (a
    // whole chunk but in the last one) into `buffer`; the sealed length.
    size_t Seal(uint8_t* buffer, size_t length, bool last);
    // Opens the sealed chunk of `length` bytes in `buffer`: `opened`
    // plaintext bytes at buffer + StrongChunkPlainAt; `last` for the final
    // chunk. Only full message chunks may come before it: anything else, or
    // a chunk that does not authenticate, is Damaged (WrongKeyOrDamaged for
    // the first). Whether data follows the final chunk the caller checks.
    StrongStatus Open(uint8_t* buffer, size_t length, size_t& opened, bool& last);

private:
    friend class StrongEncryptor;
    friend class StrongDecryptor;
    // False when there is no memory for the state.
    bool TakeState();
    SecretBytes state_;      // crypto_secretstream_xchacha20poly1305_state
    StrongHeader header_{};  // the first chunk's additional data
    size_t headerBytes_ = 0; // of header_
    bool first_ = true;
};

// Encrypts the files of one job: one Argon2id run (a new salt, the default
// parameters) for all of them, each file with its own stream header.
class StrongEncryptor {
public:
    StrongEncryptor() = default;
    virtual ~StrongEncryptor();
    StrongEncryptor(const StrongEncryptor&) = delete;
    StrongEncryptor& operator=(const StrongEncryptor&) = delete;

    StrongStatus Prepare(const SecretBytes& keyInput);
    // The same with a given salt and parameters (test vectors, tests).
    StrongStatus PrepareWith(const SecretBytes& keyInput, const KdfParams& params, const StrongSalt& salt);

    // Starts one file: `header` (version 2, all of it) is to be written before its chunks.
    StrongStatus Start(StrongChunkStream& stream, StrongHeader& header);

    // Writes the whole strong file. A failure may leave part of it written:
    // the caller writes into a temporary file that it then removes.
    StrongStatus Encrypt(ByteReader& source, ByteWriter& destination, StrongProgress* progress = nullptr);

protected:
    // Starts one file's stream (`state` is libsodium's secretstream state)
    // under `key` with a new random stream header. Only the tests' vectors
    // start it from a fixed one.
    virtual void StartStream(void* state, StrongStreamHeader& streamHeader, const uint8_t* key);

private:
    StrongStatus Run(ByteReader& source, ByteWriter& destination, StrongProgress* progress);

    bool prepared_ = false;
    KdfParams params_;
    StrongSalt salt_{};
    StrongKeysV2 keys_;
    std::vector<uint8_t> chunk_; // one chunk's buffer, kept across the job's files
};

// Keys a decryption derives before it asks whether to go on
// (StrongDecryptor::AskBeforeMoreKeys).
inline constexpr size_t StrongKeysUnasked = 8;

// Decrypts the files of one job. Keeps every key it derived by (salt,
// parameters), so each distinct header costs one Argon2id run however many
// files carry it, in whatever order they come.
class StrongDecryptor {
public:
    // Asked before a key beyond the first StrongKeysUnasked is derived, with
    // what one derivation took on average so far: true to go on.
    using GoOnQuestion = std::function<bool(std::chrono::milliseconds eachKey)>;

    // Headers outside `bounds` are refused (the tests use cheaper ones).
    explicit StrongDecryptor(SecretBytes keyInput, const KdfBounds& bounds = StrongAcceptedBounds);
    ~StrongDecryptor();
    StrongDecryptor(const StrongDecryptor&) = delete;
    StrongDecryptor& operator=(const StrongDecryptor&) = delete;

    // Asks `question` once, when a file needs a key beyond the first
    // StrongKeysUnasked: Yes goes on without asking again; No refuses every
    // key not derived yet (Start is then Stopped for its files). Without a
    // question every key is derived.
    void AskBeforeMoreKeys(GoOnQuestion question);

    // Starts one file from its first `length` bytes (its version's header at
    // least, shorter only when the file is; bytes after the header are not
    // looked at): checks the header, derives the key unless known, and for
    // version 2 checks the header's commitment to it before any chunk.
    StrongStatus Start(const uint8_t* header, size_t length, StrongChunkStream& stream);

    // Writes the plaintext chunk by chunk as each authenticates; on a
    // failure what was written must be thrown away (the caller writes into
    // a temporary file that it then removes).
    StrongStatus Decrypt(ByteReader& source, ByteWriter& destination, StrongProgress* progress = nullptr);

    // Authenticates the whole file, to its final chunk, writing nothing:
    // Ok for an intact file, otherwise what Decrypt would end with.
    StrongStatus Verify(ByteReader& source, StrongProgress* progress = nullptr);

    // Argon2id runs so far.
    size_t Derivations() const { return derivations_; }

private:
    // The keys of one salt and cost: Argon2id's output (version 1's stream
    // key), then version 2's stream and commitment keys split from it.
    const uint8_t* KeysFor(const KdfParams& params, const StrongSalt& salt, StrongStatus& status);
    bool MayDeriveAnother();
    uint8_t* NewKeyRecord();

    SecretBytes keyInput_;
    KdfBounds bounds_;
    // Each derived key's record by (passes, memory, salt): its number in
    // keyBlocks_, whose blocks of secret memory hold many records each (an
    // allocation of secret memory costs guard pages and address space of
    // its own, and a folder may hold thousands of separate encryptions).
    std::map<std::tuple<uint32_t, uint32_t, StrongSalt>, size_t> known_;
    std::vector<SecretBytes> keyBlocks_;
    size_t derivations_ = 0;
    std::chrono::steady_clock::duration derivingTime_{};
    GoOnQuestion goOnQuestion_;
    bool goOnAsked_ = false;
    bool goOnRefused_ = false;
    std::vector<uint8_t> chunk_;
};

} // namespace quenzel
