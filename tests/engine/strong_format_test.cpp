// The strong format's engine: round trips, refusal of every change, cut and
// reordering, key input, and the test vectors of docs/format.md.
#include "engine/strong_format.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fstream>
#include <initializer_list>
#include <mutex>
#include <sstream>
#include <thread>
#include <utility>

namespace quenzel {
namespace {

using Bytes = std::vector<uint8_t>;

// Cheap Argon2id costs, so that the many decryptions below stay quick (the
// decryptors are told to take them).
constexpr KdfParams FastParams{1, 8};
constexpr KdfBounds FastBounds{FastParams, 4 * 8, 32};
constexpr StrongSalt FixedSalt{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
constexpr size_t Sealed = StrongChunkBytes + StrongChunkOverhead;

class MemoryReader : public ByteReader {
public:
    explicit MemoryReader(const Bytes& bytes, size_t piece = SIZE_MAX)
        : bytes_(bytes)
        , piece_(piece)
    { }
    bool Read(uint8_t* data, size_t length, size_t& got) override
    {
        got = std::min({length, piece_, bytes_.size() - at_});
        if (got != 0)
            std::memcpy(data, bytes_.data() + at_, got);
        at_ += got;
        return true;
    }

private:
    const Bytes& bytes_;
    size_t piece_;
    size_t at_ = 0;
};

class MemoryWriter : public ByteWriter {
public:
    bool Write(const uint8_t* data, size_t length) override
    {
        bytes.insert(bytes.end(), data, data + length);
        return true;
    }
    Bytes bytes;
};

Bytes Pattern(size_t size)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i % 251);
    return bytes;
}

// The pieces [from, to) of `bytes`, one after another.
Bytes Splice(const Bytes& bytes, std::initializer_list<std::pair<size_t, size_t>> pieces)
{
    Bytes spliced;
    for (const auto& piece : pieces) {
        const size_t at = spliced.size();
        spliced.resize(at + piece.second - piece.first);
        std::memcpy(spliced.data() + at, bytes.data() + piece.first, piece.second - piece.first);
    }
    return spliced;
}

Bytes Encrypt(StrongEncryptor& encryptor, const Bytes& plain, size_t piece = SIZE_MAX)
{
    MemoryReader reader(plain, piece);
    MemoryWriter writer;
    EXPECT_EQ(encryptor.Encrypt(reader, writer), StrongStatus::Ok);
    return writer.bytes;
}

StrongStatus Decrypt(StrongDecryptor& decryptor, const Bytes& sealed, Bytes* plain = nullptr)
{
    MemoryReader reader(sealed);
    MemoryWriter writer;
    const StrongStatus status = decryptor.Decrypt(reader, writer);
    if (plain)
        *plain = writer.bytes;
    return status;
}

std::string Hex(const uint8_t* data, size_t size)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = 0; i < size; ++i) {
        hex += digits[data[i] >> 4];
        hex += digits[data[i] & 15];
    }
    return hex;
}

class StrongFormatTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SodiumReady());
        ASSERT_EQ(encryptor_.PrepareWith(PasswordKeyInput("secret"), FastParams, FixedSalt), StrongStatus::Ok);
    }
    StrongEncryptor encryptor_;
    StrongDecryptor decryptor_{PasswordKeyInput("secret"), FastBounds};
};

TEST_F(StrongFormatTest, RoundTripsEverySizeAroundChunkBoundaries)
{
    const size_t sizes[] = {
        0, 1, StrongChunkBytes - 1, StrongChunkBytes, StrongChunkBytes + 1, 2 * StrongChunkBytes + 5};
    for (size_t size : sizes) {
        SCOPED_TRACE(size);
        const Bytes plain = Pattern(size);
        const Bytes sealed = Encrypt(encryptor_, plain, 4093); // the reader gives odd pieces
        EXPECT_EQ(sealed.size(), StrongEncryptedSize(size));
        EXPECT_TRUE(IsStrongFormat(sealed.data(), sealed.size()));
        Bytes opened;
        EXPECT_EQ(Decrypt(decryptor_, sealed, &opened), StrongStatus::Ok);
        EXPECT_TRUE(opened == plain);
    }
    EXPECT_EQ(decryptor_.Derivations(), 1u); // one job's files share one derivation
}

// Files encrypted separately: each salt costs one derivation however the
// files come, more of them than a small cache would hold, each file met
// twice. Past StrongKeysUnasked keys the decryption asks once: Yes derives
// the rest, No stops every file whose key is not known yet.
TEST_F(StrongFormatTest, EachSaltIsDerivedOnceAndMoreKeysAreAskedForOnce)
{
    constexpr size_t Separate = 70;
    std::vector<Bytes> files;
    for (size_t i = 0; i < Separate; ++i) {
        StrongSalt salt = FixedSalt;
        salt[0] = static_cast<uint8_t>(i);
        StrongEncryptor encryptor;
        ASSERT_EQ(encryptor.PrepareWith(PasswordKeyInput("secret"), FastParams, salt), StrongStatus::Ok);
        files.push_back(Encrypt(encryptor, Pattern(10)));
    }
    for (const bool goOn : {true, false}) {
        SCOPED_TRACE(goOn ? "go on" : "stop");
        StrongDecryptor decryptor(PasswordKeyInput("secret"), FastBounds);
        int asked = 0;
        decryptor.AskBeforeMoreKeys([&](std::chrono::milliseconds) {
            ++asked;
            return goOn;
        });
        for (int round = 0; round < 2; ++round)
            for (size_t i = 0; i < Separate; ++i)
                EXPECT_EQ(Decrypt(decryptor, files[i]),
                          goOn || i < StrongKeysUnasked ? StrongStatus::Ok : StrongStatus::Stopped);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(decryptor.Derivations(), goOn ? Separate : StrongKeysUnasked);
    }
}

TEST_F(StrongFormatTest, EachFileOfAJobHasItsOwnStreamHeader)
{
    const Bytes plain = Pattern(64);
    const Bytes first = Encrypt(encryptor_, plain);
    const Bytes second = Encrypt(encryptor_, plain);
    EXPECT_TRUE(
        std::equal(first.begin(), first.begin() + StrongHeaderBytesV1 - StrongStreamHeaderBytes, second.begin()));
    EXPECT_FALSE(first == second);
}

TEST_F(StrongFormatTest, WrongPasswordWritesNothing)
{
    const Bytes sealed = Encrypt(encryptor_, Pattern(100));
    StrongDecryptor wrong(PasswordKeyInput("Secret"), FastBounds);
    Bytes opened;
    EXPECT_EQ(Decrypt(wrong, sealed, &opened), StrongStatus::WrongKeyOrDamaged);
    EXPECT_TRUE(opened.empty());
}

TEST_F(StrongFormatTest, EveryBitFlipOfASmallFileIsRefusedBeforeAnythingIsWritten)
{
    const Bytes sealed = Encrypt(encryptor_, Pattern(100));
    for (size_t bit = 0; bit < sealed.size() * 8; ++bit) {
        Bytes changed = sealed;
        changed[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
        Bytes opened;
        const StrongStatus status = Decrypt(decryptor_, changed, &opened);
        ASSERT_NE(status, StrongStatus::Ok) << "bit " << bit;
        ASSERT_TRUE(opened.empty()) << "bit " << bit;
    }
}

TEST_F(StrongFormatTest, FlipsInEveryChunkOfALargerFileAreRefused)
{
    const Bytes sealed = Encrypt(encryptor_, Pattern(2 * StrongChunkBytes + 3));
    const size_t positions[] = {StrongHeaderBytesV2,
                                StrongHeaderBytesV2 + Sealed - 1,
                                StrongHeaderBytesV2 + Sealed,
                                StrongHeaderBytesV2 + Sealed + Sealed / 2,
                                StrongHeaderBytesV2 + 2 * Sealed,
                                sealed.size() - 1};
    for (size_t at : positions) {
        Bytes changed = sealed;
        changed[at] ^= 0x10;
        EXPECT_NE(Decrypt(decryptor_, changed), StrongStatus::Ok) << "byte " << at;
    }
}

TEST_F(StrongFormatTest, CutsAtAndBetweenChunkBoundariesAreRefused)
{
    const Bytes sealed = Encrypt(encryptor_, Pattern(StrongChunkBytes + 10));
    const struct {
        size_t length;
        StrongStatus status;
    } cuts[] = {
        {0, StrongStatus::NotStrongFormat},
        {5, StrongStatus::NotStrongFormat},
        {8, StrongStatus::Truncated},
        {StrongHeaderBytesV2 - 1, StrongStatus::Truncated},
        {StrongHeaderBytesV2, StrongStatus::Truncated},
        {StrongHeaderBytesV2 + 1, StrongStatus::WrongKeyOrDamaged},
        {StrongHeaderBytesV2 + Sealed - 1, StrongStatus::WrongKeyOrDamaged},
        {StrongHeaderBytesV2 + Sealed, StrongStatus::Truncated},
        {StrongHeaderBytesV2 + Sealed + 16, StrongStatus::Damaged},
        {sealed.size() - 1, StrongStatus::Damaged},
    };
    for (const auto& cut : cuts) {
        const Bytes shorter(sealed.begin(), sealed.begin() + static_cast<std::ptrdiff_t>(cut.length));
        EXPECT_EQ(Decrypt(decryptor_, shorter), cut.status) << "cut at " << cut.length;
    }
    Bytes longer = sealed;
    longer.push_back(0);
    EXPECT_EQ(Decrypt(decryptor_, longer), StrongStatus::Damaged);
}

TEST_F(StrongFormatTest, SwappedOrDroppedChunksAreRefused)
{
    const Bytes sealed = Encrypt(encryptor_, Pattern(2 * StrongChunkBytes + 10));
    const auto at = [](size_t index) { return StrongHeaderBytesV2 + index * Sealed; };
    const Bytes swapped = Splice(sealed, {{0, at(0)}, {at(1), at(2)}, {at(0), at(1)}, {at(2), sealed.size()}});
    EXPECT_EQ(Decrypt(decryptor_, swapped), StrongStatus::WrongKeyOrDamaged);
    const Bytes laterSwapped = Splice(sealed, {{0, at(1)}, {at(2), sealed.size()}, {at(1), at(2)}});
    EXPECT_EQ(Decrypt(decryptor_, laterSwapped), StrongStatus::Damaged);
    const Bytes dropped = Splice(sealed, {{0, at(1)}, {at(2), sealed.size()}});
    EXPECT_EQ(Decrypt(decryptor_, dropped), StrongStatus::Damaged);
}

TEST_F(StrongFormatTest, APasswordIsItsUtf8BytesWhateverTheCodePage)
{
    StrongEncryptor encryptor;
    ASSERT_EQ(encryptor.PrepareWith(PasswordKeyInput(u8"M\u00fcller\u20ac"), FastParams, FixedSalt), StrongStatus::Ok);
    const Bytes sealed = Encrypt(encryptor, Pattern(10));
    StrongDecryptor utf8(PasswordKeyInput("M\xc3\xbcller\xe2\x82\xac"), FastBounds);
    EXPECT_EQ(Decrypt(utf8, sealed), StrongStatus::Ok);
    StrongDecryptor windows1252(PasswordKeyInput("M\xfcller\x80"), FastBounds);
    EXPECT_EQ(Decrypt(windows1252, sealed), StrongStatus::WrongKeyOrDamaged);
}

TEST(StrongPasswordInput, Utf16BecomesUtf8)
{
    const struct {
        std::u16string text;
        const char* utf8;
    } rows[] = {
        {u"M\u00fcller\u20ac", "4dc3bc6c6c6572e282ac"},
        {u"\U0001F511", "f09f9491"},              // a pair of surrogates: one 4-byte letter
        {std::u16string(1, u'\xDC00'), "efbfbd"}, // a lone surrogate: U+FFFD
        {u"\xD800x", "efbfbd78"},
        {u"", ""},
    };
    for (const auto& row : rows) {
        const SecretBytes input = PasswordKeyInput(row.text.data(), row.text.size());
        EXPECT_EQ(Hex(input.data(), input.size()), row.utf8);
    }
}

TEST_F(StrongFormatTest, FailedWritesAndForeignDataAreReported)
{
    struct FailingWriter : ByteWriter {
        bool Write(const uint8_t*, size_t) override { return false; }
    } failing;
    const Bytes plain = Pattern(10);
    MemoryReader reader(plain);
    EXPECT_EQ(encryptor_.Encrypt(reader, failing), StrongStatus::WriteFailed);
    EXPECT_EQ(Decrypt(decryptor_, Pattern(200)), StrongStatus::NotStrongFormat);
    Bytes later = Encrypt(encryptor_, plain);
    later[sizeof StrongMagic] = StrongVersion + 1;
    EXPECT_EQ(Decrypt(decryptor_, later), StrongStatus::UnsupportedVersion);
}

// The cost a header may ask: no less than libsodium's interactive limits, at
// most four times the cost written and 1 GiB. Anything else is refused
// before any derivation.
TEST_F(StrongFormatTest, HeadersOutsideTheCostBoundsAreRefusedBeforeDeriving)
{
    constexpr uint32_t MiB = 1024;
    const struct {
        KdfParams params;
        bool accepted;
    } rows[] = {
        {StrongLeastParams, true},         {StrongDefaultParams, true}, {{12, 256 * MiB}, true},
        {{3, 1024 * MiB}, true},           {{48, 64 * MiB}, true},      {{13, 256 * MiB}, false},
        {{4, 1024 * MiB}, false},          {{16, 1024 * MiB}, false},   {{49, 64 * MiB}, false},
        {{1, 256 * MiB}, false},           {{3, 64 * MiB - 1}, false},  {{2, 1024 * MiB + 1}, false},
        {{0xFFFFFFFF, 0xFFFFFFFF}, false},
    };
    const Bytes sealed = Encrypt(encryptor_, Pattern(10));
    StrongDecryptor decryptor(PasswordKeyInput("secret"));
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.params.opsLimit << " passes, " << row.params.memKiB << " KiB");
        EXPECT_EQ(StrongParamsAccepted(row.params), row.accepted);
        if (row.accepted)
            continue;
        Bytes hostile = sealed;
        for (int i = 0; i < 4; ++i) {
            hostile[9 + i] = static_cast<uint8_t>(row.params.opsLimit >> (8 * i));
            hostile[13 + i] = static_cast<uint8_t>(row.params.memKiB >> (8 * i));
        }
        EXPECT_EQ(Decrypt(decryptor, hostile), StrongStatus::BadParameters);
    }
    EXPECT_EQ(decryptor.Derivations(), 0u);
}

// Chunks sealed here with the tags given, under the fixture's key and a
// header the engine wrote: what another writer could make.
Bytes SealedWithTags(StrongEncryptor& encryptor, std::initializer_list<std::pair<size_t, unsigned char>> chunks)
{
    SecretBytes key;
    EXPECT_EQ(DeriveStrongKey(PasswordKeyInput("secret"), FastParams, FixedSalt, key), StrongStatus::Ok);
    Bytes file = Encrypt(encryptor, Bytes());
    file.resize(StrongHeaderBytesV2);
    const Bytes header = file;
    crypto_secretstream_xchacha20poly1305_state state;
    crypto_secretstream_xchacha20poly1305_init_pull(&state, &header[StrongHeaderBytesV1 - StrongStreamHeaderBytes],
                                                    SplitStrongKey(key).stream.data());
    for (const auto& chunk : chunks) {
        const Bytes plain = Pattern(chunk.first);
        const bool first = file.size() == header.size();
        file.resize(file.size() + plain.size() + StrongChunkOverhead);
        crypto_secretstream_xchacha20poly1305_push(&state, &file[file.size() - plain.size() - StrongChunkOverhead],
                                                   nullptr, plain.data(), plain.size(), first ? header.data() : nullptr,
                                                   first ? header.size() : 0, chunk.second);
    }
    return file;
}

TEST_F(StrongFormatTest, OnlyFullMessageChunksComeBeforeTheFinalOne)
{
    constexpr unsigned char Message = crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
    constexpr unsigned char Final = crypto_secretstream_xchacha20poly1305_TAG_FINAL;
    constexpr size_t Full = StrongChunkBytes;
    EXPECT_EQ(Decrypt(decryptor_, SealedWithTags(encryptor_, {{Full, Message}, {5, Final}})), StrongStatus::Ok);
    for (const unsigned char tag :
         {crypto_secretstream_xchacha20poly1305_TAG_PUSH, crypto_secretstream_xchacha20poly1305_TAG_REKEY}) {
        EXPECT_EQ(Decrypt(decryptor_, SealedWithTags(encryptor_, {{Full, tag}, {5, Final}})), StrongStatus::Damaged);
        EXPECT_EQ(Decrypt(decryptor_, SealedWithTags(encryptor_, {{5, tag}})), StrongStatus::Damaged);
    }
    EXPECT_EQ(Decrypt(decryptor_, SealedWithTags(encryptor_, {{Full, Message}, {5, Message}})), StrongStatus::Damaged);
}

// More than 4 GiB, encrypted and decrypted at once through a pipe of a few
// chunks, so memory stays bounded and nothing is stored.
class Pipe : public ByteWriter, public ByteReader {
public:
    bool Write(const uint8_t* data, size_t length) override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return parts_.size() < 4; });
        parts_.emplace_back(data, data + length);
        changed_.notify_all();
        return true;
    }
    void Close()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        changed_.notify_all();
    }
    bool Read(uint8_t* data, size_t length, size_t& got) override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return !parts_.empty() || closed_; });
        got = 0;
        if (parts_.empty())
            return true;
        Bytes& part = parts_.front();
        got = std::min(length, part.size() - taken_);
        std::memcpy(data, part.data() + taken_, got);
        taken_ += got;
        if (taken_ == part.size()) {
            parts_.pop_front();
            taken_ = 0;
            changed_.notify_all();
        }
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Bytes> parts_;
    size_t taken_ = 0;
    bool closed_ = false;
};

TEST_F(StrongFormatTest, MoreThanFourGibibytesRoundTripInBoundedMemory)
{
    constexpr uint64_t size = (4ull << 30) + 3;
    struct Source : ByteReader {
        uint64_t left = size;
        bool Read(uint8_t* data, size_t length, size_t& got) override
        {
            got = static_cast<size_t>(std::min<uint64_t>(length, left));
            std::memset(data, static_cast<int>(left & 0xFF), got);
            left -= got;
            return true;
        }
    } source;
    struct Check : ByteWriter {
        uint64_t bytes = 0;
        bool Write(const uint8_t*, size_t length) override
        {
            bytes += length;
            return true;
        }
    } check;
    Pipe pipe;
    StrongStatus encrypted = StrongStatus::LibraryFailed;
    std::thread writer([&] {
        encrypted = encryptor_.Encrypt(source, pipe);
        pipe.Close();
    });
    EXPECT_EQ(decryptor_.Decrypt(pipe, check), StrongStatus::Ok);
    writer.join();
    EXPECT_EQ(encrypted, StrongStatus::Ok);
    EXPECT_EQ(check.bytes, size);
}

// ---- the test vectors of docs/format.md ----

// The engine's encryption from a fixed stream header instead of a random
// one, for reproducible vectors: pulling and pushing share one state, so a
// state set up by init_pull from a header pushes what a push with that
// header would. Only here: one header used twice with one key gives the
// data away.
class FixedHeaderEncryptor : public StrongEncryptor {
public:
    explicit FixedHeaderEncryptor(const StrongStreamHeader& header)
        : header_(header)
    { }

protected:
    void StartStream(void* state, StrongStreamHeader& streamHeader, const uint8_t* key) override
    {
        streamHeader = header_;
        crypto_secretstream_xchacha20poly1305_init_pull(
            static_cast<crypto_secretstream_xchacha20poly1305_state*>(state), header_.data(), key);
    }

private:
    StrongStreamHeader header_;
};

struct Vector {
    const char* name;
    uint8_t version;
    Bytes keyInput; // password bytes, or the key file's content
    bool keyFile;
    const char* keyFileHash; // hex; "" for a password
    KdfParams params;
    StrongSalt salt;
    StrongStreamHeader streamHeader;
    Bytes plaintext;
    const char* derivedKey; // hex, Argon2id's output
    const char* keysV2;     // hex of version 2's stream key and commitment key; "" for version 1
    const char* file;       // hex of the whole file, or of its BLAKE2b-256 when `fileIsHash`
    bool fileIsHash;
};

StrongSalt CountingSalt(uint8_t from)
{
    StrongSalt salt;
    for (size_t i = 0; i < salt.size(); ++i)
        salt[i] = static_cast<uint8_t>(from + i);
    return salt;
}

StrongStreamHeader CountingStreamHeader(uint8_t from)
{
    StrongStreamHeader header;
    for (size_t i = 0; i < header.size(); ++i)
        header[i] = static_cast<uint8_t>(from + i);
    return header;
}

Bytes Text(const char* text)
{
    return Bytes(text, text + std::strlen(text));
}

Bytes KeyFileContent()
{
    Bytes keyFile(256);
    for (size_t i = 0; i < keyFile.size(); ++i)
        keyFile[i] = static_cast<uint8_t>(i);
    return keyFile;
}

std::vector<Vector> Vectors()
{
    const Bytes keyFile = KeyFileContent();
    const char* keyFileHash = "39a7eb9fedc19aabc83425c6755dd90e6f9d0c804964a1f4aaeea3b9fb599835";
    const KdfParams least{2, 64 * 1024};
    return {
        {"1", StrongVersion1, Text("M\xc3\xbcller\xe2\x82\xac"), false, "", StrongDefaultParams, CountingSalt(0x00),
         CountingStreamHeader(0x10), Text("Quenzel strong format\n"),
         "8c029ed3a8878bbce813bd7d99ea2e6ee44f91569da4b1f4ffd6446c99de6e54", "",
         "89515a530d0a1a0a010300000000000400000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20212223242"
         "52627d74e43"
         "573e10e7bee6aea0da9cb230793dab6d28564aaf9cf3fea94efe8f2ee670e50ca31e121d",
         false},
        {"2", StrongVersion1, keyFile, true, keyFileHash, least, CountingSalt(0x40), CountingStreamHeader(0x50),
         Bytes(), "69b7c3742e32b11b06390d82abf2024a743b1f22005413dcc8419c895370c8e4", "",
         "89515a530d0a1a0a010200000000000100404142434445464748494a4b4c4d4e4f505152535455565758595a5b5c5d5e5f60616263646"
         "56667db3261"
         "21509c7e01a41a1c5b395112450e",
         false},
        {"3", StrongVersion1, keyFile, true, keyFileHash, least, CountingSalt(0x40), CountingStreamHeader(0x50),
         Pattern(StrongChunkBytes + 5), "69b7c3742e32b11b06390d82abf2024a743b1f22005413dcc8419c895370c8e4", "",
         "10bda7a8d94d426ccc7eb0cf2c5bd923a09922a8cd4988c99ae583fe32c3ffed", true},
        {"7", StrongVersion2, Text("correct horse"), false, "", least, CountingSalt(0x80), CountingStreamHeader(0x90),
         Text("Quenzel strong format 2\n"), "029cf6cc0329a75fde9ce36377e683ffdc724d359c260d472e1654976a59c4e1",
         "a7318269558eef84075349f537264c525b726b398f1967c3a31f51e4a1e5397ce7afa4022637d06488d295af3d48ade8c5eedcb5a2b2b"
         "142"
         "cebec977a9747640",
         "89515a530d0a1a0a020200000000000100808182838485868788898a8b8c8d8e8f909192939495969798999a9b9c9d9e9fa0a1a2a3a4a"
         "5a6a7fc3f280f7b53aac21b3f56aef59dc2dfd2cff335d8f410a61b69c47d044adf79ad9a4966bd5dbf108afae8726c825ec6b58908cd"
         "f12a1105c4a2b9dbe20c2b3ab6a3c960e99367307c",
         false},
        {"8", StrongVersion2, keyFile, true, keyFileHash, least, CountingSalt(0x40), CountingStreamHeader(0x50),
         Pattern(StrongChunkBytes + 5), "69b7c3742e32b11b06390d82abf2024a743b1f22005413dcc8419c895370c8e4",
         "2b4555a2fc7535695d238c5584458551af0cc7e0b0e654b7d762ed6fe106f838377592834cc6aa26f6b1ed8b09aa78688e365f3f7c751"
         "0ad"
         "e5498a3ed3355d41",
         "11e272ade23549db58de640934d1ba47fe57c8e2ab1528246763b4e1660f7e21", true},
    };
}

SecretBytes VectorKeyInput(const Vector& vector)
{
    if (!vector.keyFile)
        return SecretBytes(vector.keyInput.data(), vector.keyInput.size());
    KeyFileHasher hasher;
    hasher.Update(vector.keyInput.data(), 100); // in pieces, as a file is read
    hasher.Update(vector.keyInput.data() + 100, vector.keyInput.size() - 100);
    return hasher.Finish();
}

std::string Blake2bHex(const Bytes& bytes)
{
    KeyFileHasher hasher; // BLAKE2b-256, as for key files
    hasher.Update(bytes.data(), bytes.size());
    const SecretBytes digest = hasher.Finish();
    return Hex(digest.data(), digest.size());
}

std::string FileHex(const Vector& vector, const Bytes& file)
{
    return vector.fileIsHash ? Blake2bHex(file) : Hex(file.data(), file.size());
}

Bytes FromHex(const std::string& hex)
{
    Bytes bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// A header's fields up to the stream header, as docs/format.md lays them out.
Bytes HeaderFields(uint8_t version, const KdfParams& params, const StrongSalt& salt, const StrongStreamHeader& stream)
{
    Bytes header(StrongMagic, StrongMagic + sizeof StrongMagic);
    header.push_back(version);
    for (const uint32_t value : {params.opsLimit, params.memKiB})
        for (int i = 0; i < 4; ++i)
            header.push_back(static_cast<uint8_t>(value >> (8 * i)));
    header.insert(header.end(), salt.begin(), salt.end());
    header.insert(header.end(), stream.begin(), stream.end());
    return header;
}

// A file written from format.md with libsodium alone: `header` (all of it)
// followed by the chunks of `plain` under `streamKey`. The program writes
// only version 2: version 1's files and the hostile ones are made here.
Bytes SealAfter(Bytes header, const uint8_t* streamKey, const Bytes& plain)
{
    crypto_secretstream_xchacha20poly1305_state state;
    crypto_secretstream_xchacha20poly1305_init_pull(&state, &header[StrongHeaderBytesV1 - StrongStreamHeaderBytes],
                                                    streamKey);
    const Bytes additional = header;
    Bytes& file = header;
    for (size_t at = 0;; at += StrongChunkBytes) {
        const size_t length = std::min(StrongChunkBytes, plain.size() - at);
        const bool last = length < StrongChunkBytes;
        file.resize(file.size() + length + StrongChunkOverhead);
        crypto_secretstream_xchacha20poly1305_push(
            &state, &file[file.size() - length - StrongChunkOverhead], nullptr, plain.data() + at, length,
            at == 0 ? additional.data() : nullptr, at == 0 ? additional.size() : 0,
            last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
        if (last)
            return file;
    }
}

SecretBytes Argon2Key(const char* password, const KdfParams& params, const StrongSalt& salt)
{
    SecretBytes key;
    EXPECT_EQ(DeriveStrongKey(PasswordKeyInput(password), params, salt, key), StrongStatus::Ok);
    return key;
}

// Vector 7's plaintext in a version 2 file whose stream is under the key of
// `streamPassword` and whose header is committed to the key of
// `commitPassword`; a version 1 file of that stream when `commitPassword`
// is null.
Bytes MixedFile(const char* streamPassword, const char* commitPassword)
{
    const Vector v7 = Vectors()[3];
    const StrongKeysV2 streamKeys = SplitStrongKey(Argon2Key(streamPassword, v7.params, v7.salt));
    if (!commitPassword) {
        const SecretBytes v1Key = Argon2Key(streamPassword, v7.params, v7.salt);
        return SealAfter(HeaderFields(StrongVersion1, v7.params, v7.salt, v7.streamHeader), v1Key.data(), v7.plaintext);
    }
    Bytes header = HeaderFields(StrongVersion2, v7.params, v7.salt, v7.streamHeader);
    header.resize(StrongHeaderBytesV2);
    CommitStrongHeader(SplitStrongKey(Argon2Key(commitPassword, v7.params, v7.salt)).commitment, header.data());
    return SealAfter(header, streamKeys.stream.data(), v7.plaintext);
}

TEST(StrongFormatVectors, EncryptAndDecryptAsDocumented)
{
    ASSERT_TRUE(SodiumReady());
    for (const Vector& vector : Vectors()) {
        SCOPED_TRACE(vector.name);
        const SecretBytes input = VectorKeyInput(vector);
        EXPECT_EQ(vector.keyFile ? Hex(input.data(), input.size()) : "", vector.keyFileHash);
        SecretBytes key;
        ASSERT_EQ(DeriveStrongKey(input, vector.params, vector.salt, key), StrongStatus::Ok);
        EXPECT_EQ(Hex(key.data(), key.size()), vector.derivedKey);

        Bytes file;
        if (vector.version == StrongVersion1) {
            file = SealAfter(HeaderFields(StrongVersion1, vector.params, vector.salt, vector.streamHeader), key.data(),
                             vector.plaintext);
        } else { // the engine's own encryption: what it writes is version 2
            const StrongKeysV2 keys = SplitStrongKey(key);
            EXPECT_EQ(Hex(keys.stream.data(), keys.stream.size()) + Hex(keys.commitment.data(), keys.commitment.size()),
                      vector.keysV2);
            FixedHeaderEncryptor encryptor(vector.streamHeader);
            ASSERT_EQ(encryptor.PrepareWith(input, vector.params, vector.salt), StrongStatus::Ok);
            MemoryReader reader(vector.plaintext);
            MemoryWriter writer;
            ASSERT_EQ(encryptor.Encrypt(reader, writer), StrongStatus::Ok);
            file = writer.bytes;
        }
        EXPECT_EQ(FileHex(vector, file), vector.file);

        StrongDecryptor decryptor{SecretBytes(input.data(), input.size())};
        Bytes opened;
        EXPECT_EQ(Decrypt(decryptor, file, &opened), StrongStatus::Ok);
        EXPECT_TRUE(opened == vector.plaintext);
    }
}

// Files a reader must refuse, as format.md shows them. Version 1: vector 1's
// file under a wrong password, with a flipped byte of its secretstream
// header, and cut right after its header. Version 2: vector 7's and 8's
// files changed.
struct NegativeVector {
    const char* name;
    const char* password; // hex of its UTF-8 bytes, or "" for vector 8's key file
    Bytes file;
    StrongStatus expected;
    bool shownAsHash;     // format.md shows the file's BLAKE2b-256
    size_t handedOut = 0; // plaintext given before the refusal, for the caller to throw away
};

Bytes Changed(Bytes file, size_t at, uint8_t value)
{
    file[at] = value;
    return file;
}

std::vector<NegativeVector> NegativeVectors()
{
    const std::vector<Vector> vectors = Vectors();
    const Bytes file = FromHex(vectors[0].file);
    const Bytes v7 = FromHex(vectors[3].file);
    const char* horse = "636f727265637420686f727365"; // correct horse
    FixedHeaderEncryptor encryptor(vectors[4].streamHeader);
    EXPECT_EQ(encryptor.PrepareWith(VectorKeyInput(vectors[4]), vectors[4].params, vectors[4].salt), StrongStatus::Ok);
    const Bytes v8 = Encrypt(encryptor, vectors[4].plaintext);
    Bytes trailing = v7;
    trailing.push_back(0);
    return {
        {"4", "6dc3bc6c6c6572e282ac", file, StrongStatus::WrongKeyOrDamaged, false},
        {"5", "4dc3bc6c6c6572e282ac", Changed(file, 40, 0x16), StrongStatus::WrongKeyOrDamaged, false},
        {"6", "4dc3bc6c6c6572e282ac", Bytes(file.begin(), file.begin() + StrongHeaderBytesV1), StrongStatus::Truncated,
         false},
        {"9", horse, Changed(v7, StrongHeaderBytesV2 - 1, v7[StrongHeaderBytesV2 - 1] ^ 1),
         StrongStatus::WrongKeyOrDamaged, false},
        {"10", horse, MixedFile("correct horse", "battery staple"), StrongStatus::WrongKeyOrDamaged, false},
        {"11", "", Bytes(v8.begin(), v8.begin() + StrongHeaderBytesV2 + Sealed), StrongStatus::Truncated, true,
         StrongChunkBytes},
        {"12", horse, trailing, StrongStatus::WrongKeyOrDamaged, false}, // the byte is read into the final chunk
        {"13", horse, Changed(v7, 9, 49), StrongStatus::BadParameters, false},
        {"14", horse, Changed(v7, 1, 'q'), StrongStatus::Damaged, false},
    };
}

TEST(StrongFormatVectors, NegativeOnesAreRefusedAsDocumented)
{
    ASSERT_TRUE(SodiumReady());
    const Vector keyFileVector = Vectors()[4];
    for (const NegativeVector& vector : NegativeVectors()) {
        SCOPED_TRACE(vector.name);
        const Bytes password = FromHex(vector.password);
        StrongDecryptor decryptor{*vector.password ? SecretBytes(password.data(), password.size())
                                                   : VectorKeyInput(keyFileVector)};
        Bytes opened;
        EXPECT_EQ(Decrypt(decryptor, vector.file, &opened), vector.expected);
        EXPECT_EQ(opened.size(), vector.handedOut);
    }
}

// Numbers modulo p = 2^130 - 5, Poly1305's field, in five limbs of 26 bits
// (products fit 64 bits, so every build has them); always fully reduced.
class Field {
public:
    static constexpr uint64_t Mask = (1u << 26) - 1;

    // The little-endian number of `bytes` (at most 16), plus 2^128 when `high`.
    static Field From(const uint8_t* bytes, size_t count, bool high)
    {
        Field f;
        for (size_t bit = 0; bit < 8 * count; ++bit)
            f.limb_[bit / 26] |= uint64_t{(bytes[bit / 8] >> (bit % 8)) & 1u} << (bit % 26);
        f.limb_[4] |= uint64_t{high} << (128 - 104);
        return Reduced(f.limb_);
    }
    bool Bit(size_t bit) const { return (limb_[bit / 26] >> (bit % 26)) & 1; }
    // The low 128 bits.
    std::array<uint8_t, 16> Low() const
    {
        std::array<uint8_t, 16> bytes{};
        for (size_t bit = 0; bit < 128; ++bit)
            bytes[bit / 8] = static_cast<uint8_t>(bytes[bit / 8] | Bit(bit) << (bit % 8));
        return bytes;
    }
    Field operator+(const Field& other) const
    {
        std::array<uint64_t, 5> sum;
        for (size_t i = 0; i < 5; ++i)
            sum[i] = limb_[i] + other.limb_[i];
        return Reduced(sum);
    }
    Field operator-(const Field& other) const
    {
        std::array<uint64_t, 5> difference; // plus 2p, whose every limb is at least Mask
        for (size_t i = 0; i < 5; ++i)
            difference[i] = limb_[i] + 2 * (i == 0 ? Mask - 4 : Mask) - other.limb_[i];
        return Reduced(difference);
    }
    Field operator*(const Field& other) const
    {
        std::array<uint64_t, 5> product{};
        for (size_t i = 0; i < 5; ++i)
            for (size_t j = 0; j < 5; ++j) // 2^130 is 5 modulo p
                product[(i + j) % 5] += limb_[i] * other.limb_[j] * (i + j >= 5 ? 5 : 1);
        return Reduced(product);
    }
    // The inverse: x^(p - 2); p - 2 has every bit below 130 set but bits 1 and 2.
    Field Inverse() const
    {
        Field result = From(nullptr, 0, false);
        result.limb_[0] = 1;
        for (size_t bit = 130; bit-- > 0;) {
            result = result * result;
            if (bit != 1 && bit != 2)
                result = result * *this;
        }
        return result;
    }

private:
    static Field Reduced(std::array<uint64_t, 5> limbs)
    {
        uint64_t carry = 0;
        do {
            carry = 0;
            for (uint64_t& limb : limbs) {
                limb += carry;
                carry = limb >> 26;
                limb &= Mask;
            }
            limbs[0] += carry * 5;
        } while (carry != 0);
        Field f;
        f.limb_ = limbs;
        const bool atLeastP =
            limbs[0] >= Mask - 4 && limbs[1] == Mask && limbs[2] == Mask && limbs[3] == Mask && limbs[4] == Mask;
        if (atLeastP)
            f.limb_ = {limbs[0] - (Mask - 4), 0, 0, 0, 0};
        return f;
    }
    std::array<uint64_t, 5> limb_{};
};

// What one stream key makes of a stream header: the key stream that
// encrypts the first chunk's tag byte and pads its block, and the Poly1305
// key (r clamped, s) of the first chunk, as secretstream's pull derives them.
struct FirstChunkKeys {
    std::array<uint8_t, 64> tagBlock;
    Field r;
    std::array<uint8_t, 16> s;
};

FirstChunkKeys KeysOfFirstChunk(const uint8_t* streamKey, const uint8_t* streamHeader)
{
    uint8_t subkey[crypto_stream_chacha20_ietf_KEYBYTES];
    crypto_core_hchacha20(subkey, streamHeader, streamKey, nullptr);
    uint8_t nonce[crypto_stream_chacha20_ietf_NONCEBYTES] = {1, 0, 0, 0};
    std::memcpy(nonce + 4, streamHeader + crypto_core_hchacha20_INPUTBYTES, 8);
    FirstChunkKeys keys{};
    crypto_stream_chacha20_ietf_xor_ic(keys.tagBlock.data(), keys.tagBlock.data(), keys.tagBlock.size(), nonce, 1,
                                       subkey);
    uint8_t polyKey[64];
    crypto_stream_chacha20_ietf(polyKey, sizeof polyKey, nonce, subkey);
    for (const size_t at : {3, 7, 11, 15})
        polyKey[at] &= 15;
    for (const size_t at : {4, 8, 12})
        polyKey[at] &= 252;
    keys.r = Field::From(polyKey, 16, false);
    std::memcpy(keys.s.data(), polyKey + 16, 16);
    return keys;
}

// Poly1305 of a first chunk with 32 bytes of ciphertext, those taken as 0:
// the header (padded), the tag byte's block, two blocks left empty, the
// lengths. The two empty blocks add c1 r^3 + c2 r^2.
Field MacWithoutCiphertext(const Bytes& header, uint8_t tagByte, const FirstChunkKeys& keys)
{
    Bytes message = header;
    message.resize((header.size() + 15) / 16 * 16);
    message.push_back(tagByte);
    message.insert(message.end(), keys.tagBlock.begin() + 1, keys.tagBlock.end());
    message.resize(message.size() + 32);
    for (const uint64_t length : {uint64_t{header.size()}, uint64_t{64 + 32}})
        for (int i = 0; i < 8; ++i)
            message.push_back(static_cast<uint8_t>(length >> (8 * i)));
    Field h = Field::From(nullptr, 0, false);
    for (size_t at = 0; at < message.size(); at += 16) {
        const bool empty = at >= message.size() - 48 && at < message.size() - 16;
        h = (empty ? h : h + Field::From(&message[at], 16, true)) * keys.r;
    }
    return h;
}

// What Poly1305's sum must be, modulo 2^128, for `tag` under `s`: tag - s.
Field TagLess(const std::array<uint8_t, 16>& tag, const std::array<uint8_t, 16>& s)
{
    std::array<uint8_t, 16> difference{};
    int borrow = 0;
    for (size_t i = 0; i < 16; ++i) {
        const int byte = tag[i] - s[i] - borrow;
        difference[i] = static_cast<uint8_t>(byte);
        borrow = byte < 0;
    }
    return Field::From(difference.data(), difference.size(), false);
}

// The review's file: one final chunk of 32 bytes that authenticates under
// two stream keys. The stream header is the one (counted from vector 7's)
// whose key stream encrypts the tag byte alike under both keys; the
// ciphertext is solved from Poly1305's equations modulo p for a chosen
// tag. A version 2 header is committed to `commitment`.
Bytes TwoKeyFile(uint8_t version, const uint8_t* firstKey, const uint8_t* secondKey, const SecretBytes* commitment)
{
    const Vector v7 = Vectors()[3];
    StrongStreamHeader streamHeader = v7.streamHeader;
    FirstChunkKeys first;
    FirstChunkKeys second;
    for (uint32_t tries = 0;; ++tries) {
        std::memcpy(streamHeader.data(), &tries, sizeof tries);
        first = KeysOfFirstChunk(firstKey, streamHeader.data());
        second = KeysOfFirstChunk(secondKey, streamHeader.data());
        if (first.tagBlock[0] == second.tagBlock[0])
            break;
    }
    Bytes file = HeaderFields(version, v7.params, v7.salt, streamHeader);
    if (commitment) {
        file.resize(StrongHeaderBytesV2);
        CommitStrongHeader(*commitment, file.data());
    }
    const uint8_t tagByte = first.tagBlock[0] ^ crypto_secretstream_xchacha20poly1305_TAG_FINAL;
    const Field firstRest = MacWithoutCiphertext(file, tagByte, first);
    const Field secondRest = MacWithoutCiphertext(file, tagByte, second);
    const Field b = first.r * first.r;
    const Field a = b * first.r;
    const Field d = second.r * second.r;
    const Field c = d * second.r;
    const Field inverse = (a * d - b * c).Inverse();
    // Each try of a tag gives a solution; it is a ciphertext when both blocks
    // lie in [2^128, 2^129), one time in 16.
    for (uint8_t tries = 0; tries < 255; ++tries) {
        std::array<uint8_t, 16> tag{tries};
        const Field e1 = TagLess(tag, first.s) - firstRest;
        const Field e2 = TagLess(tag, second.s) - secondRest;
        const Field c1 = (e1 * d - b * e2) * inverse;
        const Field c2 = (a * e2 - c * e1) * inverse;
        if (!c1.Bit(128) || c1.Bit(129) || !c2.Bit(128) || c2.Bit(129))
            continue;
        file.push_back(tagByte);
        for (const Field& block : {c1, c2}) {
            const std::array<uint8_t, 16> bytes = block.Low();
            file.insert(file.end(), bytes.begin(), bytes.end());
        }
        file.insert(file.end(), tag.begin(), tag.end());
        return file;
    }
    ADD_FAILURE() << "no ciphertext found";
    return file;
}

// The review's finding against version 1: Poly1305 does not commit to its
// key, so whoever knows two keys can make a file that authenticates under
// both. Built here as format.md tells: version 1 opens it under "correct
// horse" and "battery staple", each to its own plaintext. Version 2 opens
// the same construction under the one key its header is committed to and
// refuses the other before any chunk, though that key's stream opens.
TEST(StrongFormatVersions, TheTwoPasswordFileOpensUnderBothInVersion1AndUnderOneInVersion2)
{
    ASSERT_TRUE(SodiumReady());
    const Vector v7 = Vectors()[3];
    const SecretBytes horse = Argon2Key("correct horse", v7.params, v7.salt);
    const SecretBytes staple = Argon2Key("battery staple", v7.params, v7.salt);
    const StrongKeysV2 horseV2 = SplitStrongKey(horse);
    const StrongKeysV2 stapleV2 = SplitStrongKey(staple);
    const Bytes v1 = TwoKeyFile(StrongVersion1, horse.data(), staple.data(), nullptr);
    const Bytes v2 = TwoKeyFile(StrongVersion2, horseV2.stream.data(), stapleV2.stream.data(), &stapleV2.commitment);
    EXPECT_EQ(v1.size(), 106u) << "as the review's";
    const struct {
        const char* password;
        StrongStatus v2Header; // before any chunk
    } rows[] = {{"correct horse", StrongStatus::WrongKeyOrDamaged}, {"battery staple", StrongStatus::Ok}};
    std::vector<Bytes> v1Plaintexts;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.password);
        StrongDecryptor decryptor{PasswordKeyInput(row.password), StrongAcceptedBounds};
        Bytes opened;
        EXPECT_EQ(Decrypt(decryptor, v1, &opened), StrongStatus::Ok) << "version 1 opens under both";
        EXPECT_EQ(opened.size(), 32u);
        v1Plaintexts.push_back(opened);
        StrongChunkStream stream;
        EXPECT_EQ(decryptor.Start(v2.data(), v2.size(), stream), row.v2Header);
        EXPECT_EQ(Decrypt(decryptor, v2, &opened), row.v2Header);
        EXPECT_EQ(opened.size(), row.v2Header == StrongStatus::Ok ? 32u : 0u);
    }
    EXPECT_FALSE(v1Plaintexts[0] == v1Plaintexts[1]);
    // The version 2 file's stream does open under "correct horse": only the commitment refuses it.
    crypto_secretstream_xchacha20poly1305_state state;
    crypto_secretstream_xchacha20poly1305_init_pull(&state, &v2[StrongHeaderBytesV1 - StrongStreamHeaderBytes],
                                                    horseV2.stream.data());
    Bytes plain(32);
    EXPECT_EQ(crypto_secretstream_xchacha20poly1305_pull(&state, plain.data(), nullptr, nullptr,
                                                         &v2[StrongHeaderBytesV2], v2.size() - StrongHeaderBytesV2,
                                                         v2.data(), StrongHeaderBytesV2),
              0);
}

#ifdef QUENZEL_FORMAT_DOC
TEST(StrongFormatVectors, AreTheOnesTheFormatDocumentShows)
{
    std::ifstream doc(QUENZEL_FORMAT_DOC);
    ASSERT_TRUE(doc) << QUENZEL_FORMAT_DOC;
    std::stringstream text;
    text << doc.rdbuf();
    std::string joined; // hex may be wrapped over lines in the document
    for (char c : text.str())
        if (c != '\n' && c != ' ')
            joined += c;
    for (const Vector& vector : Vectors()) {
        EXPECT_NE(joined.find(vector.derivedKey), std::string::npos) << "vector " << vector.name;
        EXPECT_NE(joined.find(vector.keyFileHash), std::string::npos) << "vector " << vector.name;
        EXPECT_NE(joined.find(vector.file), std::string::npos) << "vector " << vector.name;
    }
    for (const Vector& vector : Vectors())
        EXPECT_NE(joined.find(vector.keysV2), std::string::npos) << "vector " << vector.name;
    for (const NegativeVector& vector : NegativeVectors()) {
        EXPECT_NE(joined.find(vector.password), std::string::npos) << "vector " << vector.name;
        const std::string file =
            vector.shownAsHash ? Blake2bHex(vector.file) : Hex(vector.file.data(), vector.file.size());
        EXPECT_NE(joined.find(file), std::string::npos) << "vector " << vector.name;
    }
}
#endif

} // namespace
} // namespace quenzel
