// The transform's throughput against memcpy's on the same buffer.
// Usage: cipher_bench [MiB]   (default 256)
#include "crypt/cipher.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t MiB = 1024 * 1024;
constexpr int Rounds = 3;

double BestSeconds(void (*run)(void*), void* context)
{
    double best = 1e30;
    for (int r = 0; r < Rounds; ++r) {
        const auto start = Clock::now();
        run(context);
        const double s = std::chrono::duration<double>(Clock::now() - start).count();
        if (s < best)
            best = s;
    }
    return best;
}

struct Buffers {
    std::vector<uint8_t> data;
    std::vector<uint8_t> copy;
    std::vector<uint8_t> key;
};

void RunMemcpy(void* context)
{
    auto* b = static_cast<Buffers*>(context);
    std::memcpy(b->copy.data(), b->data.data(), b->data.size());
}

void RunCipher(void* context)
{
    auto* b = static_cast<Buffers*>(context);
    quenzel::TransformBuffer(b->key.data(), b->key.size(), 7, b->data.data(), b->data.size(), nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    const size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    Buffers b;
    b.data.assign(mib * MiB, 0x55);
    b.copy.assign(mib * MiB, 0);
    const double copySeconds = BestSeconds(RunMemcpy, &b);
    std::printf("buffer %zu MiB, memcpy %.0f MiB/s\n", mib, mib / copySeconds);
    for (size_t keyLength : {size_t(4), size_t(8), size_t(13), size_t(32), size_t(64), size_t(1000), MiB}) {
        b.key.assign(keyLength, 0);
        for (size_t i = 0; i < keyLength; ++i)
            b.key[i] = static_cast<uint8_t>(i * 31 + 1);
        const double s = BestSeconds(RunCipher, &b);
        std::printf("key %8zu bytes: transform %7.0f MiB/s, ratio to memcpy %.2f\n", keyLength, mib / s,
                    copySeconds / s);
    }
    return 0;
}
