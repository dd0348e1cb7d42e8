// The strong format's speed: one Argon2id run with the default cost, and
// encryption and decryption of a large buffer beside memcpy of it.
// Usage: strong_bench [MiB]   (default 256)
//        strong_bench bare MiB
//   the library's bare secretstream over MiB of data in memory, in the
//   format's chunks, with nothing of the program's: prints
//   "bare <seal seconds> <open seconds> <MiB>"
//        strong_bench load SECONDS
//   a load for the other benchmarks: the same bare sealing, over and over,
//   for SECONDS (or until ended); prints "load <MiB sealed>"
#include "engine/strong_format.h"

#include <sodium.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t MiB = 1024 * 1024;
constexpr int Rounds = 3;

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Reads from and writes into memory, so only the engine is timed.
class BufferReader : public quenzel::ByteReader {
public:
    explicit BufferReader(const std::vector<uint8_t>& bytes)
        : bytes_(bytes)
    { }
    bool Read(uint8_t* data, size_t length, size_t& got) override
    {
        got = length < bytes_.size() - at_ ? length : bytes_.size() - at_;
        std::memcpy(data, bytes_.data() + at_, got);
        at_ += got;
        return true;
    }

private:
    const std::vector<uint8_t>& bytes_;
    size_t at_ = 0;
};

class BufferWriter : public quenzel::ByteWriter {
public:
    explicit BufferWriter(std::vector<uint8_t>& bytes)
        : bytes_(bytes)
    { }
    bool Write(const uint8_t* data, size_t length) override
    {
        if (length > bytes_.size() - at_)
            return false;
        std::memcpy(bytes_.data() + at_, data, length);
        at_ += length;
        return true;
    }

private:
    std::vector<uint8_t>& bytes_;
    size_t at_ = 0;
};

// A ring of plaintext chunks and their sealed forms under one random key,
// for the bare library's loops.
struct BareRing {
    using State = crypto_secretstream_xchacha20poly1305_state;
    explicit BareRing(size_t chunks)
        : plain(chunks * quenzel::StrongChunkBytes)
        , sealed(chunks * quenzel::StrongSealedChunkBytes)
    {
        randombytes_buf(plain.data(), plain.size());
        crypto_secretstream_xchacha20poly1305_keygen(key);
    }
    void StartSealing() { crypto_secretstream_xchacha20poly1305_init_push(&state, header, key); }
    void Seal(size_t slot)
    {
        crypto_secretstream_xchacha20poly1305_push(&state, &sealed[slot * quenzel::StrongSealedChunkBytes], nullptr,
                                                   &plain[slot * quenzel::StrongChunkBytes],
                                                   quenzel::StrongChunkBytes, nullptr, 0,
                                                   crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
    }
    bool StartOpening() { return crypto_secretstream_xchacha20poly1305_init_pull(&state, header, key) == 0; }
    bool Open(size_t slot)
    {
        return crypto_secretstream_xchacha20poly1305_pull(&state, &plain[slot * quenzel::StrongChunkBytes], nullptr,
                                                          nullptr, &sealed[slot * quenzel::StrongSealedChunkBytes],
                                                          quenzel::StrongSealedChunkBytes, nullptr, 0)
            == 0;
    }

    std::vector<uint8_t> plain, sealed;
    uint8_t key[crypto_secretstream_xchacha20poly1305_KEYBYTES];
    uint8_t header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
    State state;
};

// Seals `mib` MiB from a 64 MiB buffer (larger than any cache, as a file's
// data is) into a ring of sealed chunks, then opens them again, the stream
// started anew for each pass over the ring.
int Bare(size_t mib)
{
    constexpr size_t RingChunks = 64;
    BareRing ring(RingChunks);
    auto start = Clock::now();
    for (size_t chunk = 0; chunk < mib; ++chunk) {
        const size_t slot = chunk % RingChunks;
        if (slot == 0)
            ring.StartSealing();
        ring.Seal(slot);
    }
    const double seal = Seconds(start);
    // Opening needs the stream the last pass sealed: the ring is sealed once more under one header.
    ring.StartSealing();
    for (size_t slot = 0; slot < RingChunks; ++slot)
        ring.Seal(slot);
    start = Clock::now();
    for (size_t chunk = 0; chunk < mib; ++chunk) {
        const size_t slot = chunk % RingChunks;
        if (slot == 0 && !ring.StartOpening())
            return 1;
        if (!ring.Open(slot))
            return 1;
    }
    std::printf("bare %.3f %.3f %zu\n", seal, Seconds(start), mib);
    return 0;
}

// Seals chunks of a small ring for `seconds`, one thread, nothing else: a
// second busy program beside a timed job.
int Load(double seconds)
{
    constexpr size_t RingChunks = 4;
    BareRing ring(RingChunks);
    ring.StartSealing();
    const auto start = Clock::now();
    size_t chunks = 0;
    for (; Seconds(start) < seconds; ++chunks)
        ring.Seal(chunks % RingChunks);
    std::printf("load %zu\n", chunks);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace quenzel;
    if (argc == 3 && std::strcmp(argv[1], "bare") == 0)
        return SodiumReady() ? Bare(std::strtoul(argv[2], nullptr, 10)) : 1;
    if (argc == 3 && std::strcmp(argv[1], "load") == 0)
        return SodiumReady() ? Load(std::strtod(argv[2], nullptr)) : 1;
    const size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    if (!SodiumReady())
        return 1;
    const SecretBytes password = PasswordKeyInput("correct horse battery staple");

    StrongEncryptor encryptor;
    auto start = Clock::now();
    if (encryptor.Prepare(password) != StrongStatus::Ok)
        return 1;
    std::printf("Argon2id, %u passes over %u MiB: %.2f s\n", StrongDefaultParams.opsLimit,
                StrongDefaultParams.memKiB / 1024, Seconds(start));

    std::vector<uint8_t> plain(mib * MiB, 0x55), copy(plain.size());
    std::vector<uint8_t> sealed(static_cast<size_t>(StrongEncryptedSize(plain.size())));
    StrongDecryptor decryptor{PasswordKeyInput("correct horse battery staple")};
    double copyBest = 1e30, encryptBest = 1e30, decryptBest = 1e30;
    for (int round = 0; round < Rounds; ++round) {
        start = Clock::now();
        std::memcpy(copy.data(), plain.data(), plain.size());
        copyBest = std::min(copyBest, Seconds(start));

        BufferReader reader(plain);
        BufferWriter writer(sealed);
        start = Clock::now();
        if (encryptor.Encrypt(reader, writer) != StrongStatus::Ok)
            return 1;
        encryptBest = std::min(encryptBest, Seconds(start));

        BufferReader sealedReader(sealed);
        BufferWriter opened(copy);
        start = Clock::now();
        if (decryptor.Decrypt(sealedReader, opened) != StrongStatus::Ok) // the first round includes one Argon2id run
            return 1;
        if (round > 0)
            decryptBest = std::min(decryptBest, Seconds(start));
    }
    std::printf("buffer %zu MiB: memcpy %.0f MiB/s, encrypt %.0f MiB/s (%.3f s), decrypt %.0f MiB/s (%.3f s)\n", mib,
                mib / copyBest, mib / encryptBest, encryptBest, mib / decryptBest, decryptBest);
    return std::memcmp(copy.data(), plain.data(), plain.size()) == 0 ? 0 : 1;
}
