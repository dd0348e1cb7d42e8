// The strong format: files encrypted with libsodium's secretstream
// (XChaCha20-Poly1305) under a key that Argon2id derives from a password or
// a key file. Authenticated: a wrong key, a changed byte, a cut or a swapped
// chunk is detected. docs/format.md describes the bytes. Portable: no
// windows.h; files come and go through ByteReader and ByteWriter.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quenzel {

// The file's first bytes; no file of the legacy format is expected to start so.
inline constexpr uint8_t StrongMagic[8] = {0x89, 'Q', 'Z', 'S', '\r', '\n', 0x1A, '\n'};
inline constexpr uint8_t StrongVersion = 1;
inline constexpr size_t StrongSaltBytes = 16;
inline constexpr size_t StrongStreamHeaderBytes = 24;
// magic, version, operations (4), memory in KiB (4), salt, stream header.
inline constexpr size_t StrongHeaderBytes = 8 + 1 + 4 + 4 + StrongSaltBytes + StrongStreamHeaderBytes;
// Plaintext bytes per chunk; each chunk grows by StrongChunkOverhead bytes.
inline constexpr size_t StrongChunkBytes = 1u << 20;
inline constexpr size_t StrongChunkOverhead = 17;

using StrongSalt = std::array<uint8_t, StrongSaltBytes>;
using StrongStreamHeader = std::array<uint8_t, StrongStreamHeaderBytes>;

// Argon2id's cost: passes over the memory, and the memory in KiB.
struct KdfParams {
    uint32_t opsLimit = 0;
    uint32_t memKiB = 0;
    bool operator==(const KdfParams& other) const {
        return opsLimit == other.opsLimit && memKiB == other.memKiB;
    }
};
// What encryption uses: the library's moderate limits (3 passes, 256 MiB).
inline constexpr KdfParams StrongDefaultParams{3, 256u * 1024u};
// What decryption accepts from a header: at most 16 passes and 1 GiB (a
// 32-bit process must be able to get the memory); more is a damaged header.
inline constexpr KdfParams StrongMaxParams{16, 1024u * 1024u};

enum class StrongStatus {
    Ok,
    NotStrongFormat,    // the data does not start with the magic
    UnsupportedVersion, // written by a later version of the format
    BadParameters,      // the header's Argon2id cost is outside what is accepted: damaged
    WrongKeyOrDamaged,  // the header and first chunk do not authenticate: wrong password or key file, or damaged
    Damaged,            // a later chunk does not authenticate (changed, cut inside, swapped) or data follows the end
    Truncated,          // the data ends before its final chunk
    ReadFailed,
    WriteFailed,
    OutOfMemory,        // a chunk buffer could not be had
    NoHashingMemory,    // Argon2id's memory could not be had
    LibraryFailed,      // libsodium could not start
};

// Bytes that wipe themselves when they go: key input and derived keys.
class SecretBytes {
public:
    SecretBytes() = default;
    explicit SecretBytes(size_t size) : bytes_(size) {}
    SecretBytes(const void* data, size_t size);
    ~SecretBytes();
    SecretBytes(SecretBytes&& other) noexcept;
    SecretBytes& operator=(SecretBytes&& other) noexcept;
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;

    uint8_t* data() { return bytes_.data(); }
    const uint8_t* data() const { return bytes_.data(); }
    size_t size() const { return bytes_.size(); }

private:
    void Wipe();
    std::vector<uint8_t> bytes_; // never grown, so no copy is left behind
};

// Starts libsodium once; false when it cannot run.
bool SodiumReady();

// The key input of a password: its UTF-8 bytes, whatever the code page.
SecretBytes PasswordKeyInput(const std::string& utf8);
// The same from UTF-16 (a Windows string), with no copy left unwiped; a
// lone surrogate counts as U+FFFD, as Windows converts it.
SecretBytes PasswordKeyInput(const char16_t* utf16, size_t length);

// The key input of a key file: BLAKE2b-256 of its whole content, fed in
// pieces as it is read.
class KeyFileHasher {
public:
    KeyFileHasher();
    ~KeyFileHasher();
    KeyFileHasher(const KeyFileHasher&) = delete;
    KeyFileHasher& operator=(const KeyFileHasher&) = delete;
    void Update(const uint8_t* data, size_t length);
    SecretBytes Finish();

private:
    alignas(64) uint8_t state_[384]; // crypto_generichash_state
};

// Argon2id of the key input into a 32-byte key.
StrongStatus DeriveStrongKey(const SecretBytes& keyInput, const KdfParams& params, const StrongSalt& salt,
                             SecretBytes& key);

// Where the engine reads a file from: Read gives up to `length` bytes in
// `got`, 0 only at the end; false on a read error.
class ByteReader {
public:
    virtual ~ByteReader() = default;
    virtual bool Read(uint8_t* data, size_t length, size_t& got) = 0;
};

// Where the engine writes to; false when a write fails.
class ByteWriter {
public:
    virtual ~ByteWriter() = default;
    virtual bool Write(const uint8_t* data, size_t length) = 0;
};

// Told the plaintext bytes done so far after each chunk.
class StrongProgress {
public:
    virtual ~StrongProgress() = default;
    virtual void Advanced(uint64_t plaintextBytes) = 0;
};

// True when data of this length starts as a strong file does.
bool IsStrongFormat(const uint8_t* start, size_t length);

// The size of a strong file holding `plaintextBytes`.
uint64_t StrongEncryptedSize(uint64_t plaintextBytes);

// Encrypts the files of one job: one Argon2id run (a new salt, the default
// parameters) for all of them, each file with its own stream header.
class StrongEncryptor {
public:
    StrongEncryptor() = default;
    ~StrongEncryptor();
    StrongEncryptor(const StrongEncryptor&) = delete;
    StrongEncryptor& operator=(const StrongEncryptor&) = delete;

    StrongStatus Prepare(const SecretBytes& keyInput);
    // The same with a given salt and parameters (test vectors, tests).
    StrongStatus PrepareWith(const SecretBytes& keyInput, const KdfParams& params, const StrongSalt& salt);

    // Writes the whole strong file. A failure may leave part of it written:
    // the caller writes into a temporary file that it then removes.
    StrongStatus Encrypt(ByteReader& source, ByteWriter& destination, StrongProgress* progress = nullptr);
    // The same with a fixed stream header instead of a random one. For
    // reproducible test vectors only: one header used twice with one key
    // gives the data away.
    StrongStatus EncryptWithStreamHeader(ByteReader& source, ByteWriter& destination,
                                         const StrongStreamHeader& streamHeader);

private:
    StrongStatus Run(ByteReader& source, ByteWriter& destination, StrongProgress* progress,
                     const StrongStreamHeader* fixedHeader);

    bool prepared_ = false;
    KdfParams params_;
    StrongSalt salt_{};
    SecretBytes key_;
    std::vector<uint8_t> plain_;  // one chunk's buffers, kept across the job's files
    std::vector<uint8_t> cipher_;
};

// Decrypts the files of one job. Keeps each key it derived by (salt,
// parameters), so the files of one encryption job cost one Argon2id run.
class StrongDecryptor {
public:
    explicit StrongDecryptor(SecretBytes keyInput);
    ~StrongDecryptor();
    StrongDecryptor(const StrongDecryptor&) = delete;
    StrongDecryptor& operator=(const StrongDecryptor&) = delete;

    // Writes the plaintext chunk by chunk as each authenticates; on a
    // failure what was written must be thrown away (the caller writes into
    // a temporary file that it then removes).
    StrongStatus Decrypt(ByteReader& source, ByteWriter& destination, StrongProgress* progress = nullptr);

    // Argon2id runs so far.
    size_t Derivations() const { return derivations_; }

private:
    struct CachedKey {
        KdfParams params;
        StrongSalt salt;
        SecretBytes key;
    };
    StrongStatus KeyFor(const KdfParams& params, const StrongSalt& salt, const SecretBytes*& key);

    SecretBytes keyInput_;
    std::vector<CachedKey> cache_;
    size_t derivations_ = 0;
    std::vector<uint8_t> plain_;
    std::vector<uint8_t> cipher_;
};

} // namespace quenzel
