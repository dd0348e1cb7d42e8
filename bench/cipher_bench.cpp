// The transform's throughput against memcpy's on the same buffer, in
// interleaved rounds: each round times memcpy and then the transform, so a
// busy moment of the machine falls on both. Prints min / median / max of each
// and the ratio of the medians (transform speed / memcpy speed).
// Usage: cipher_bench [MiB] [rounds] [portable|sse2|avx2]   (default 256, 7, the best)
#include "engine/cipher.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t MiB = 1024 * 1024;

struct Spread {
    double min, median, max;
};

Spread SpreadOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values.front(), values[(values.size() - 1) / 2], values.back()};
}

template <typename Run>
double Seconds(Run run)
{
    const auto start = Clock::now();
    run();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

const char* PathName(quenzel::XorPath path)
{
    switch (path) {
    case quenzel::XorPath::Portable:
        return "portable";
    case quenzel::XorPath::Sse2:
        return "sse2";
    case quenzel::XorPath::Avx2:
        return "avx2";
    }
    return "?";
}

} // namespace

int main(int argc, char** argv)
{
    using quenzel::XorPath;
    const size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    const std::string wanted = argc > 3 ? argv[3] : "";
    const char* pathName = "best";
    for (XorPath path : {XorPath::Portable, XorPath::Sse2, XorPath::Avx2})
        if (wanted == PathName(path)) {
            if (!quenzel::UseXorPath(path)) {
                std::fprintf(stderr, "this processor lacks %s\n", wanted.c_str());
                return 1;
            }
            pathName = PathName(path);
        }
    std::vector<uint8_t> data(mib * MiB, 0x55), copy(mib * MiB, 0);
    std::printf("buffer %zu MiB, %d interleaved rounds, inner loop %s; MiB/s min / median / max\n", mib, rounds,
                pathName);
    for (size_t keyLength : {size_t(4), size_t(13), size_t(32), size_t(64), size_t(1000), MiB}) {
        std::vector<uint8_t> key(keyLength);
        for (size_t i = 0; i < keyLength; ++i)
            key[i] = static_cast<uint8_t>(i * 31 + 1);
        std::vector<double> copyRates, cipherRates;
        for (int r = 0; r < rounds; ++r) {
            copyRates.push_back(mib / Seconds([&] { std::memcpy(copy.data(), data.data(), data.size()); }));
            cipherRates.push_back(mib / Seconds([&] {
                                      quenzel::TransformBuffer(key.data(), key.size(), 7, data.data(), data.size(),
                                                               nullptr);
                                  }));
        }
        const Spread c = SpreadOf(copyRates), t = SpreadOf(cipherRates);
        std::printf("key %7zu bytes: transform %6.0f / %6.0f / %6.0f, memcpy %6.0f / %6.0f / %6.0f, ratio %.2f\n",
                    keyLength, t.min, t.median, t.max, c.min, c.median, c.max, t.median / c.median);
    }
    return 0;
}
