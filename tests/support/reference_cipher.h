// The format computed byte by byte, independently of the program, for the
// tests of the transform: byte i becomes byte i ^ level ^ key[i mod L].
// Portable: no windows.h.
#pragma once

#include "engine/cipher.h"

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace cipherref {

// `data` transformed by the per-byte definition, in the container it came
// in (bytes or a string); `keyOffset` is the key position of its first byte.
template <typename Data, typename Key>
Data Reference(const Data& data, const Key& key, uint8_t level, uint64_t keyOffset = 0)
{
    using Unit = typename Data::value_type;
    Data out(data);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<Unit>(static_cast<uint8_t>(out[i]) ^ level
                                   ^ static_cast<uint8_t>(key[(keyOffset + i) % key.size()]));
    return out;
}

// `n` pseudo-random bytes, the same for the same seed.
template <typename Data = std::vector<uint8_t>>
Data RandomBytes(size_t n, unsigned seed)
{
    std::mt19937 gen(seed);
    Data out(n, 0);
    for (auto& b : out)
        b = static_cast<typename Data::value_type>(gen());
    return out;
}

// Records what the progress bar would be told, in order.
struct RecordedProgress : quenzel::CipherProgress {
    std::vector<uint32_t> positions;
    size_t steps = 0;
    void SetPosition(uint32_t position) override { positions.push_back(position); }
    void Step() override { ++steps; }
};

// The per-byte progress definition: after byte c, position c / (n / 100)
// whenever it differs from the last one sent (which starts at 0).
inline std::vector<uint32_t> ReferencePositions(uint64_t n)
{
    std::vector<uint32_t> out;
    if (n < 100)
        return out;
    const uint64_t q = n / 100;
    uint64_t last = 0;
    for (uint64_t c = 0; c < n; ++c)
        if (c / q != last) {
            last = c / q;
            out.push_back(static_cast<uint32_t>(last));
        }
    return out;
}

} // namespace cipherref
