#include "engine/strong_format.h"

#include <sodium.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

namespace quenzel {

namespace {

using StreamState = crypto_secretstream_xchacha20poly1305_state;
// The states live in secret memory of their own, which sodium_malloc places
// at the end of its pages: a size that is a multiple of a state's alignment
// keeps it aligned.
constexpr size_t StreamStateBytes = 64;
static_assert(sizeof(StreamState) <= StreamStateBytes && StreamStateBytes % alignof(StreamState) == 0);
constexpr size_t HashStateBytes = 384;
static_assert(sizeof(crypto_generichash_state) <= HashStateBytes
              && HashStateBytes % alignof(crypto_generichash_state) == 0);

// Locks of secrets the system refused.
std::atomic<size_t> LockFailures{0};

static_assert(StrongSaltBytes == crypto_pwhash_argon2id_SALTBYTES);
static_assert(StrongStreamHeaderBytes == crypto_secretstream_xchacha20poly1305_HEADERBYTES);
static_assert(StrongChunkOverhead == crypto_secretstream_xchacha20poly1305_ABYTES);
static_assert(StrongDefaultParams.opsLimit >= crypto_pwhash_argon2id_OPSLIMIT_MODERATE);
static_assert(StrongDefaultParams.memKiB * 1024ull >= crypto_pwhash_argon2id_MEMLIMIT_MODERATE);
static_assert(StrongLeastParams.opsLimit == crypto_pwhash_argon2id_OPSLIMIT_INTERACTIVE);
static_assert(StrongLeastParams.memKiB * 1024ull == crypto_pwhash_argon2id_MEMLIMIT_INTERACTIVE);
static_assert(StrongCommitmentBytes == crypto_auth_hmacsha512256_BYTES);

constexpr size_t KeyBytes = crypto_secretstream_xchacha20poly1305_KEYBYTES;
static_assert(KeyBytes == crypto_kdf_KEYBYTES && KeyBytes == crypto_auth_hmacsha512256_KEYBYTES);
// Version 2's two keys, derived from Argon2id's output by BLAKE2b with this
// context and these ids.
constexpr char KeyContext[crypto_kdf_CONTEXTBYTES + 1] = "QZSKEY02";
constexpr uint64_t StreamKeyId = 1;
constexpr uint64_t CommitmentKeyId = 2;
constexpr size_t SealedChunkBytes = StrongSealedChunkBytes;
// A decryption's record of one derived key: Argon2id's output, then
// version 2's stream and commitment keys; as many share a block of secret
// memory as fill one page beside the allocation's canary.
constexpr size_t KeyRecordBytes = 3 * KeyBytes;
constexpr size_t KeyRecordsPerBlock = (4096 - 16) / KeyRecordBytes;

constexpr size_t VersionAt = StrongVersionAt;
constexpr size_t OpsAt = VersionAt + 1;
constexpr size_t MemAt = OpsAt + 4;
constexpr size_t SaltAt = MemAt + 4;
constexpr size_t StreamHeaderAt = SaltAt + StrongSaltBytes;
constexpr size_t CommitmentAt = StreamHeaderAt + StrongStreamHeaderBytes;
static_assert(CommitmentAt == StrongHeaderBytesV1);
// The magic and the version: what tells the rest of the header's size.
constexpr size_t PrefixBytes = VersionAt + 1;

using HeaderBytes = StrongHeader;

void PutLittleEndian32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetLittleEndian32(const uint8_t* at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | at[i];
    return value;
}

HeaderBytes MakeHeader(const KdfParams& params, const StrongSalt& salt, const uint8_t* streamHeader)
{
    HeaderBytes header{};
    std::memcpy(header.data(), StrongMagic, sizeof StrongMagic);
    header[VersionAt] = StrongVersion2;
    PutLittleEndian32(&header[OpsAt], params.opsLimit);
    PutLittleEndian32(&header[MemAt], params.memKiB);
    std::memcpy(&header[SaltAt], salt.data(), StrongSaltBytes);
    std::memcpy(&header[StreamHeaderAt], streamHeader, StrongStreamHeaderBytes);
    return header;
}

// What Argon2id runs at all, within the most cost and memory ever accepted.
constexpr KdfBounds RunnableBounds{
    KdfParams{crypto_pwhash_argon2id_OPSLIMIT_MIN, crypto_pwhash_argon2id_MEMLIMIT_MIN / 1024u}, StrongMostCost,
    StrongMostMemKiB};

// Bytes of the magic that a file's first bytes do not match; a byte the
// file lacks counts as not matching.
size_t MagicMismatches(const uint8_t* start, size_t length)
{
    size_t mismatches = 0;
    for (size_t i = 0; i < sizeof StrongMagic; ++i)
        if (i >= length || start[i] != StrongMagic[i])
            ++mismatches;
    return mismatches;
}

// Reads a strong file's header from its start: the magic and version
// first, which tell how long the rest is, then the rest (`got` falls short
// only where the data ends). False on a read error.
bool ReadHeaderArea(ByteReader& source, StrongHeader& header, size_t& got)
{
    if (!ReadFull(source, header.data(), PrefixBytes, got))
        return false;
    const size_t headerBytes = got == PrefixBytes ? StrongHeaderBytesFor(header[VersionAt]) : 0;
    if (headerBytes <= got)
        return true;
    size_t rest = 0;
    if (!ReadFull(source, header.data() + got, headerBytes - got, rest))
        return false;
    got += rest;
    return true;
}

// Whether the first `length` bytes of a file hold a whole strong header of
// a version known here, and its size.
StrongStatus CheckHeader(const uint8_t* header, size_t length, size_t& headerBytes)
{
    switch (ClassifyStart(header, length)) {
    case StrongStart::Other:
        return StrongStatus::NotStrongFormat;
    case StrongStart::Damaged:
        return StrongStatus::Damaged;
    case StrongStart::Strong:
        break;
    }
    if (length < PrefixBytes)
        return StrongStatus::Truncated;
    headerBytes = StrongHeaderBytesFor(header[VersionAt]);
    if (headerBytes == 0)
        return StrongStatus::UnsupportedVersion;
    return length < headerBytes ? StrongStatus::Truncated : StrongStatus::Ok;
}

// Sizes a job's chunk buffer once; false when the memory is not there.
bool ChunkBuffer(std::vector<uint8_t>& chunk)
{
    try {
        chunk.resize(SealedChunkBytes);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void WipeBuffer(std::vector<uint8_t>& buffer)
{
    if (!buffer.empty())
        sodium_memzero(buffer.data(), buffer.size());
}

StreamState* StateOf(uint8_t* storage)
{
    return reinterpret_cast<StreamState*>(storage);
}

crypto_generichash_state* HashStateOf(SecretBytes& state)
{
    return reinterpret_cast<crypto_generichash_state*>(state.data());
}

} // namespace

// ---- one file's stream ----

bool StrongChunkStream::TakeState()
{
    if (!state_.empty())
        return true;
    try {
        state_ = SecretBytes(StreamStateBytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

size_t StrongChunkStream::Seal(uint8_t* buffer, size_t length, bool last)
{
    const unsigned char tag =
        last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
    unsigned long long sealed = 0;
    // In place: the library writes the tag byte first and then encrypts the
    // message into the bytes it is read from.
    crypto_secretstream_xchacha20poly1305_push(StateOf(state_.data()), buffer, &sealed, buffer + StrongChunkPlainAt,
                                               length, first_ ? header_.data() : nullptr, first_ ? headerBytes_ : 0,
                                               tag);
    first_ = false;
    return static_cast<size_t>(sealed);
}

StrongStatus StrongChunkStream::Open(uint8_t* buffer, size_t length, size_t& opened, bool& last)
{
    const StrongStatus refused = first_ ? StrongStatus::WrongKeyOrDamaged : StrongStatus::Damaged;
    unsigned long long plain = 0;
    unsigned char tag = 0;
    // In place: the library authenticates the whole chunk before it decrypts.
    if (length < StrongChunkOverhead
        || crypto_secretstream_xchacha20poly1305_pull(StateOf(state_.data()), buffer + StrongChunkPlainAt, &plain, &tag,
                                                      buffer, length, first_ ? header_.data() : nullptr,
                                                      first_ ? headerBytes_ : 0)
            != 0)
        return refused;
    first_ = false;
    last = tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL;
    if (!last && (tag != crypto_secretstream_xchacha20poly1305_TAG_MESSAGE || length < SealedChunkBytes))
        return StrongStatus::Damaged;
    opened = static_cast<size_t>(plain);
    return StrongStatus::Ok;
}

// ---- secrets and key input ----

namespace {

// Small secrets (a stream's state, a hash state, keys) share blocks of
// secret memory, slot by slot: a guarded allocation of their own costs
// several system calls (a third of a millisecond under Wine), once per file
// of a folder job. A free slot is wiped, and stays locked for the next one.
constexpr size_t SecretSlotBytes = 512;
constexpr size_t SecretSlotsPerBlock = 32;
static_assert(SecretSlotBytes >= HashStateBytes && SecretSlotBytes % alignof(crypto_generichash_state) == 0);

class SecretSlots {
public:
    // A zeroed slot, or null when no block could be had.
    uint8_t* Take()
    {
        Hold hold(busy_);
        if (free_.empty() && !Grow())
            return nullptr;
        uint8_t* slot = free_.back();
        free_.pop_back();
        return slot;
    }
    // Wipes the slot (all of it: a user may have written any part) and
    // keeps it for the next secret.
    void Give(uint8_t* slot)
    {
        sodium_memzero(slot, SecretSlotBytes);
        Hold hold(busy_);
        free_.push_back(slot);
    }

private:
    // The slots' list is held for a few instructions at most: a spin costs
    // less than any lock that might wait through the system.
    class Hold {
    public:
        explicit Hold(std::atomic_flag& flag)
            : flag_(flag)
        {
            while (flag_.test_and_set(std::memory_order_acquire)) { }
        }
        ~Hold() { flag_.clear(std::memory_order_release); }

    private:
        std::atomic_flag& flag_;
    };

    // A new block (pages of its own, locked where the system allows: a
    // refusal is counted, as for any secret). Its blocks are kept for the
    // process's life.
    bool Grow()
    {
        constexpr size_t BlockBytes = SecretSlotBytes * SecretSlotsPerBlock;
        auto* block = static_cast<uint8_t*>(sodium_malloc(BlockBytes));
        if (!block)
            return false;
        if (sodium_mlock(block, BlockBytes) != 0)
            LockFailures.fetch_add(1, std::memory_order_relaxed);
        std::memset(block, 0, BlockBytes);
        try {
            free_.reserve(free_.size() + SecretSlotsPerBlock);
        } catch (const std::bad_alloc&) {
            sodium_free(block);
            return false;
        }
        for (size_t slot = 0; slot < SecretSlotsPerBlock; ++slot)
            free_.push_back(block + slot * SecretSlotBytes);
        return true;
    }

    std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
    std::vector<uint8_t*> free_;
};

// Never destroyed: a secret held by another static object may go after it.
SecretSlots& SmallSecrets()
{
    static SecretSlots* const slots = new SecretSlots;
    return *slots;
}

} // namespace

// libsodium's guarded allocation for a larger secret: pages of its own,
// locked where the system allows (a lock that fails is no reason to refuse
// the job, but it is counted), wiped and unlocked by sodium_free.
SecretBytes::SecretBytes(size_t size)
{
    if (size == 0)
        return;
    if (!SodiumReady())
        throw std::bad_alloc();
    if (size <= SecretSlotBytes) {
        bytes_ = SmallSecrets().Take();
        if (!bytes_)
            throw std::bad_alloc();
        size_ = size;
        pooled_ = true;
        return;
    }
    bytes_ = static_cast<uint8_t*>(sodium_malloc(size));
    if (!bytes_)
        throw std::bad_alloc();
    size_ = size;
    // sodium_malloc locks the pages but keeps no word of a refusal: asked
    // again (pages locked already stay so, at no further cost), the system
    // tells.
    if (sodium_mlock(bytes_, size) != 0)
        LockFailures.fetch_add(1, std::memory_order_relaxed);
    std::memset(bytes_, 0, size);
}

size_t SecretLockFailures()
{
    return LockFailures.load(std::memory_order_relaxed);
}

SecretBytes::SecretBytes(const void* data, size_t size)
    : SecretBytes(size)
{
    if (size != 0)
        std::memcpy(bytes_, data, size);
}

SecretBytes::~SecretBytes()
{
    Release();
}

SecretBytes::SecretBytes(SecretBytes&& other) noexcept
    : bytes_(other.bytes_)
    , size_(other.size_)
    , pooled_(other.pooled_)
{
    other.bytes_ = nullptr;
    other.size_ = 0;
    other.pooled_ = false;
}

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept
{
    if (this != &other) {
        Release();
        bytes_ = other.bytes_;
        size_ = other.size_;
        pooled_ = other.pooled_;
        other.bytes_ = nullptr;
        other.size_ = 0;
        other.pooled_ = false;
    }
    return *this;
}

void SecretBytes::Release()
{
    if (bytes_ && pooled_)
        SmallSecrets().Give(bytes_);
    else if (bytes_)
        sodium_free(bytes_);
    bytes_ = nullptr;
    size_ = 0;
    pooled_ = false;
}

void WipeSecret(void* data, size_t size)
{
    if (size != 0)
        sodium_memzero(data, size);
}

bool StrongParamsAccepted(const KdfParams& params, const KdfBounds& bounds)
{
    return params.opsLimit >= bounds.least.opsLimit && params.memKiB >= bounds.least.memKiB
        && params.memKiB <= bounds.mostMemKiB && uint64_t{params.opsLimit} * params.memKiB <= bounds.mostCost;
}

bool SodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

SecretBytes PasswordKeyInput(const std::string& utf8)
{
    return SecretBytes(utf8.data(), utf8.size());
}

namespace {

// The code point at text[at], moving `at` past it.
uint32_t NextCodePoint(const char16_t* text, size_t length, size_t& at)
{
    constexpr uint32_t Replacement = 0xFFFD;
    const uint32_t unit = text[at++];
    if (unit < 0xD800 || unit > 0xDFFF)
        return unit;
    if (unit > 0xDBFF || at == length || text[at] < 0xDC00 || text[at] > 0xDFFF)
        return Replacement;
    return 0x10000 + ((unit - 0xD800) << 10) + (text[at++] - 0xDC00u);
}

size_t Utf8Length(uint32_t codePoint)
{
    return codePoint < 0x80 ? 1 : codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
}

void PutUtf8(uint32_t codePoint, uint8_t* out)
{
    static const uint8_t leads[] = {0, 0, 0xC0, 0xE0, 0xF0};
    const size_t count = Utf8Length(codePoint);
    for (size_t i = count - 1; i > 0; --i, codePoint >>= 6)
        out[i] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
    out[0] = static_cast<uint8_t>(count == 1 ? codePoint : leads[count] | codePoint);
}

} // namespace

SecretBytes PasswordKeyInput(const char16_t* utf16, size_t length)
{
    size_t bytes = 0;
    for (size_t at = 0; at < length;)
        bytes += Utf8Length(NextCodePoint(utf16, length, at));
    SecretBytes input(bytes);
    uint8_t* out = input.data();
    for (size_t at = 0; at < length;) {
        const uint32_t codePoint = NextCodePoint(utf16, length, at);
        PutUtf8(codePoint, out);
        out += Utf8Length(codePoint);
    }
    return input;
}

KeyFileHasher::KeyFileHasher()
    : state_(HashStateBytes)
{
    crypto_generichash_init(HashStateOf(state_), nullptr, 0, crypto_generichash_BYTES);
}

void KeyFileHasher::Update(const uint8_t* data, size_t length)
{
    crypto_generichash_update(HashStateOf(state_), data, length);
}

SecretBytes KeyFileHasher::Finish()
{
    SecretBytes digest(crypto_generichash_BYTES);
    crypto_generichash_final(HashStateOf(state_), digest.data(), digest.size());
    return digest;
}

StrongStatus DeriveStrongKey(const SecretBytes& keyInput, const KdfParams& params, const StrongSalt& salt,
                             SecretBytes& key)
{
    if (!SodiumReady())
        return StrongStatus::LibraryFailed;
    if (!StrongParamsAccepted(params, RunnableBounds))
        return StrongStatus::BadParameters;
    SecretBytes derived(KeyBytes);
    // libsodium takes a null password only with length 0: give it a byte to point at.
    static const uint8_t none = 0;
    const char* password = reinterpret_cast<const char*>(keyInput.size() != 0 ? keyInput.data() : &none);
    if (crypto_pwhash(derived.data(), derived.size(), password, keyInput.size(), salt.data(), params.opsLimit,
                      static_cast<size_t>(params.memKiB) * 1024u, crypto_pwhash_ALG_ARGON2ID13)
        != 0)
        return StrongStatus::NoHashingMemory; // the parameters are valid, so only the memory can be missing
    key = std::move(derived);
    return StrongStatus::Ok;
}

namespace {

void SplitKey(const uint8_t* argon2Key, uint8_t* streamKey, uint8_t* commitmentKey)
{
    crypto_kdf_derive_from_key(streamKey, KeyBytes, StreamKeyId, KeyContext, argon2Key);
    crypto_kdf_derive_from_key(commitmentKey, KeyBytes, CommitmentKeyId, KeyContext, argon2Key);
}

bool HeaderCommitted(const uint8_t* commitmentKey, const uint8_t* header)
{
    // Compares in constant time.
    return crypto_auth_hmacsha512256_verify(header + CommitmentAt, header, CommitmentAt, commitmentKey) == 0;
}

} // namespace

StrongKeysV2 SplitStrongKey(const SecretBytes& argon2Key)
{
    StrongKeysV2 keys{SecretBytes(KeyBytes), SecretBytes(KeyBytes)};
    SplitKey(argon2Key.data(), keys.stream.data(), keys.commitment.data());
    return keys;
}

void CommitStrongHeader(const SecretBytes& commitmentKey, uint8_t* header)
{
    crypto_auth_hmacsha512256(header + CommitmentAt, header, CommitmentAt, commitmentKey.data());
}

bool StrongHeaderCommitted(const SecretBytes& commitmentKey, const uint8_t* header)
{
    return HeaderCommitted(commitmentKey.data(), header);
}

bool IsStrongFormat(const uint8_t* start, size_t length)
{
    return length >= sizeof StrongMagic && std::memcmp(start, StrongMagic, sizeof StrongMagic) == 0;
}

StrongStart ClassifyStart(const uint8_t* start, size_t length)
{
    // Random bytes match six of the eight by chance about once in 10^13 files.
    constexpr size_t DamagedMismatchesMost = 2;
    const size_t mismatches = MagicMismatches(start, length);
    if (mismatches == 0)
        return StrongStart::Strong;
    return mismatches <= DamagedMismatchesMost ? StrongStart::Damaged : StrongStart::Other;
}

uint64_t StrongEncryptedSize(uint64_t plaintextBytes)
{
    // Every full chunk, then the final chunk with the rest (possibly nothing).
    const uint64_t fullChunks = plaintextBytes / StrongChunkBytes;
    return StrongHeaderBytesV2 + fullChunks * SealedChunkBytes + plaintextBytes % StrongChunkBytes
        + StrongChunkOverhead;
}

// ---- encryption ----

StrongEncryptor::~StrongEncryptor()
{
    WipeBuffer(chunk_);
    sodium_memzero(salt_.data(), salt_.size());
}

StrongStatus StrongEncryptor::Prepare(const SecretBytes& keyInput)
{
    if (!SodiumReady())
        return StrongStatus::LibraryFailed;
    StrongSalt salt;
    randombytes_buf(salt.data(), salt.size());
    return PrepareWith(keyInput, StrongDefaultParams, salt);
}

StrongStatus StrongEncryptor::PrepareWith(const SecretBytes& keyInput, const KdfParams& params, const StrongSalt& salt)
{
    prepared_ = false;
    SecretBytes key;
    const StrongStatus status = DeriveStrongKey(keyInput, params, salt, key);
    if (status != StrongStatus::Ok)
        return status;
    keys_ = SplitStrongKey(key);
    params_ = params;
    salt_ = salt;
    prepared_ = true;
    return StrongStatus::Ok;
}

StrongStatus StrongEncryptor::Encrypt(ByteReader& source, ByteWriter& destination, StrongProgress* progress)
{
    return Run(source, destination, progress);
}

void StrongEncryptor::StartStream(void* state, StrongStreamHeader& streamHeader, const uint8_t* key)
{
    crypto_secretstream_xchacha20poly1305_init_push(static_cast<StreamState*>(state), streamHeader.data(), key);
}

StrongStatus StrongEncryptor::Start(StrongChunkStream& stream, StrongHeader& header)
{
    if (!prepared_)
        return StrongStatus::LibraryFailed;
    StrongStreamHeader streamHeader;
    if (!stream.TakeState())
        return StrongStatus::OutOfMemory;
    StartStream(stream.state_.data(), streamHeader, keys_.stream.data());
    header = MakeHeader(params_, salt_, streamHeader.data());
    CommitStrongHeader(keys_.commitment, header.data());
    stream.header_ = header;
    stream.headerBytes_ = StrongHeaderBytesV2;
    stream.first_ = true;
    return StrongStatus::Ok;
}

StrongStatus StrongEncryptor::Run(ByteReader& source, ByteWriter& destination, StrongProgress* progress)
{
    StrongChunkStream stream;
    HeaderBytes header;
    const StrongStatus started = Start(stream, header);
    if (started != StrongStatus::Ok)
        return started;
    if (!ChunkBuffer(chunk_))
        return StrongStatus::OutOfMemory;
    if (!destination.Write(header.data(), header.size()))
        return StrongStatus::WriteFailed;

    uint64_t done = 0;
    for (;;) {
        if (progress && progress->StopAsked())
            return StrongStatus::Stopped;
        size_t got = 0;
        if (!ReadFull(source, chunk_.data() + StrongChunkPlainAt, StrongChunkBytes, got))
            return StrongStatus::ReadFailed;
        // A short chunk is the last one; a file of whole chunks ends with an empty one.
        const bool last = got < StrongChunkBytes;
        const size_t sealed = stream.Seal(chunk_.data(), got, last);
        if (!destination.Write(chunk_.data(), sealed))
            return StrongStatus::WriteFailed;
        done += got;
        if (progress)
            progress->Advanced(done);
        if (last)
            return StrongStatus::Ok;
    }
}

// ---- decryption ----

StrongDecryptor::StrongDecryptor(SecretBytes keyInput, const KdfBounds& bounds)
    : keyInput_(std::move(keyInput))
    , bounds_(bounds)
{ }

StrongDecryptor::~StrongDecryptor()
{
    WipeBuffer(chunk_);
}

void StrongDecryptor::AskBeforeMoreKeys(GoOnQuestion question)
{
    goOnQuestion_ = std::move(question);
}

bool StrongDecryptor::MayDeriveAnother()
{
    if (derivations_ >= StrongKeysUnasked && goOnQuestion_ && !goOnAsked_) {
        goOnAsked_ = true;
        const auto eachKey = std::chrono::duration_cast<std::chrono::milliseconds>(
            derivingTime_ / static_cast<std::chrono::steady_clock::rep>(derivations_));
        goOnRefused_ = !goOnQuestion_(eachKey);
    }
    return !goOnRefused_;
}

uint8_t* StrongDecryptor::NewKeyRecord()
{
    const size_t record = known_.size();
    if (record % KeyRecordsPerBlock == 0)
        keyBlocks_.emplace_back(KeyRecordsPerBlock * KeyRecordBytes);
    return keyBlocks_.back().data() + record % KeyRecordsPerBlock * KeyRecordBytes;
}

const uint8_t* StrongDecryptor::KeysFor(const KdfParams& params, const StrongSalt& salt, StrongStatus& status)
{
    const auto id = std::make_tuple(params.opsLimit, params.memKiB, salt);
    const auto found = known_.find(id);
    if (found != known_.end()) {
        status = StrongStatus::Ok;
        return keyBlocks_[found->second / KeyRecordsPerBlock].data()
            + found->second % KeyRecordsPerBlock * KeyRecordBytes;
    }
    if (!MayDeriveAnother()) {
        status = StrongStatus::Stopped;
        return nullptr;
    }
    SecretBytes derived;
    const auto started = std::chrono::steady_clock::now();
    status = DeriveStrongKey(keyInput_, params, salt, derived);
    if (status != StrongStatus::Ok)
        return nullptr;
    derivingTime_ += std::chrono::steady_clock::now() - started;
    ++derivations_;
    uint8_t* record = NewKeyRecord();
    std::memcpy(record, derived.data(), KeyBytes);
    SplitKey(record, record + KeyBytes, record + 2 * KeyBytes);
    known_.emplace(id, known_.size());
    return record;
}

StrongStatus StrongDecryptor::Start(const uint8_t* header, size_t length, StrongChunkStream& stream)
{
    size_t headerBytes = 0;
    const StrongStatus checked = CheckHeader(header, length, headerBytes);
    if (checked != StrongStatus::Ok)
        return checked;
    const uint8_t version = header[VersionAt];
    const KdfParams params{GetLittleEndian32(&header[OpsAt]), GetLittleEndian32(&header[MemAt])};
    if (!StrongParamsAccepted(params, bounds_))
        return StrongStatus::BadParameters;
    StrongSalt salt;
    std::memcpy(salt.data(), &header[SaltAt], salt.size());

    StrongStatus keyStatus = StrongStatus::Ok;
    const uint8_t* keys = KeysFor(params, salt, keyStatus);
    if (keyStatus != StrongStatus::Ok)
        return keyStatus;
    const uint8_t* streamKey = keys;
    if (version == StrongVersion2) {
        // The header must be committed to this key before any chunk is opened.
        if (!HeaderCommitted(keys + 2 * KeyBytes, header))
            return StrongStatus::WrongKeyOrDamaged;
        streamKey = keys + KeyBytes;
    }
    if (!stream.TakeState())
        return StrongStatus::OutOfMemory;
    if (crypto_secretstream_xchacha20poly1305_init_pull(StateOf(stream.state_.data()), &header[StreamHeaderAt],
                                                        streamKey)
        != 0)
        return StrongStatus::WrongKeyOrDamaged;
    std::memcpy(stream.header_.data(), header, headerBytes);
    stream.headerBytes_ = headerBytes;
    stream.first_ = true;
    return StrongStatus::Ok;
}

StrongStatus StrongDecryptor::Decrypt(ByteReader& source, ByteWriter& destination, StrongProgress* progress)
{
    HeaderBytes header;
    size_t got = 0;
    if (!ReadHeaderArea(source, header, got))
        return StrongStatus::ReadFailed;
    StrongChunkStream stream;
    const StrongStatus started = Start(header.data(), got, stream);
    if (started != StrongStatus::Ok)
        return started;
    if (!ChunkBuffer(chunk_))
        return StrongStatus::OutOfMemory;

    uint64_t done = 0;
    for (;;) {
        if (progress && progress->StopAsked())
            return StrongStatus::Stopped;
        if (!ReadFull(source, chunk_.data(), chunk_.size(), got))
            return StrongStatus::ReadFailed;
        if (got == 0)
            return StrongStatus::Truncated;
        size_t opened = 0;
        bool last = false;
        const StrongStatus status = stream.Open(chunk_.data(), got, opened, last);
        if (status != StrongStatus::Ok)
            return status;
        if (last) {
            uint8_t extra = 0;
            size_t more = 0;
            if (!ReadFull(source, &extra, 1, more))
                return StrongStatus::ReadFailed;
            if (more != 0)
                return StrongStatus::Damaged;
        }
        if (!destination.Write(chunk_.data() + StrongChunkPlainAt, opened))
            return StrongStatus::WriteFailed;
        done += opened;
        if (progress)
            progress->Advanced(done);
        if (last)
            return StrongStatus::Ok;
    }
}

StrongStatus StrongDecryptor::Verify(ByteReader& source, StrongProgress* progress)
{
    CountingWriter nowhere;
    return Decrypt(source, nowhere, progress);
}

StrongStatus ReadStrongInfo(ByteReader& source, StrongFileInfo& info)
{
    HeaderBytes header;
    size_t got = 0;
    if (!ReadHeaderArea(source, header, got))
        return StrongStatus::ReadFailed;
    size_t headerBytes = 0;
    const StrongStatus checked = CheckHeader(header.data(), got, headerBytes);
    if (checked != StrongStatus::Ok)
        return checked;
    info.version = header[VersionAt];
    info.params = {GetLittleEndian32(&header[OpsAt]), GetLittleEndian32(&header[MemAt])};

    // The chunks' bytes, counted as they come.
    std::vector<uint8_t> piece;
    if (!ChunkBuffer(piece))
        return StrongStatus::OutOfMemory;
    uint64_t sealed = 0;
    for (;;) {
        size_t part = 0;
        if (!source.Read(piece.data(), piece.size(), part))
            return StrongStatus::ReadFailed;
        if (part == 0)
            break;
        sealed += part;
    }
    if (sealed == 0)
        return StrongStatus::Truncated;
    info.chunks = (sealed + StrongSealedChunkBytes - 1) / StrongSealedChunkBytes;
    const uint64_t lastChunk = sealed - (info.chunks - 1) * StrongSealedChunkBytes;
    if (lastChunk < StrongChunkOverhead)
        return StrongStatus::Damaged;
    info.plaintextBytes = sealed - info.chunks * StrongChunkOverhead;
    return StrongStatus::Ok;
}

} // namespace quenzel
