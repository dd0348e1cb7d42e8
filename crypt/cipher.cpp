#include "crypt/cipher.h"

#include <algorithm>
#include <cstring>

namespace quenzel {

namespace {

// Short keys are repeated into a pattern of at least this many bytes, so the
// inner loop runs long stretches over data and pattern side by side.
constexpr size_t MinPatternBytes = 16 * 1024;
constexpr uint64_t ProgressDivisions = 100;

void XorBytes(uint8_t* data, const uint8_t* pattern, size_t length)
{
    using Word = uint64_t;
    size_t i = 0;
    for (; i + 4 * sizeof(Word) <= length; i += 4 * sizeof(Word)) {
        Word d[4], p[4];
        std::memcpy(d, data + i, sizeof d);
        std::memcpy(p, pattern + i, sizeof p);
        for (int w = 0; w < 4; ++w)
            d[w] ^= p[w];
        std::memcpy(data + i, d, sizeof d);
    }
    for (; i < length; ++i)
        data[i] ^= pattern[i];
}

} // namespace

std::vector<uint8_t> PasswordKeyBytes(const char* ansi, size_t length)
{
    if (length == 0)
        return std::vector<uint8_t>(DefaultPassword, DefaultPassword + sizeof DefaultPassword - 1);
    return std::vector<uint8_t>(ansi, ansi + length);
}

CipherStream::CipherStream(const uint8_t* key, size_t keyLength, uint8_t level)
    : keyLength_(keyLength)
{
    const size_t repeats = std::max<size_t>(1, (MinPatternBytes + keyLength - 1) / keyLength);
    pattern_.resize(keyLength * repeats);
    for (size_t r = 0; r < repeats; ++r)
        for (size_t k = 0; k < keyLength; ++k)
            pattern_[r * keyLength + k] = static_cast<uint8_t>(key[k] ^ level);
}

void CipherStream::XorRun(uint8_t* data, size_t length)
{
    while (length > 0) {
        // From any key position the pattern holds at least (repeats - 1) whole
        // keys plus the rest of the current one.
        const size_t run = std::min(length, pattern_.size() - keyPosition_);
        XorBytes(data, pattern_.data() + keyPosition_, run);
        keyPosition_ = (keyPosition_ + run) % keyLength_;
        data += run;
        length -= run;
        done_ += run;
    }
}

void CipherStream::Apply(uint8_t* data, size_t length)
{
    XorRun(data, length);
}

void CipherStream::ApplyWithProgress(uint8_t* data, size_t length, uint64_t fileLength,
                                     CipherProgress& progress)
{
    if (fileLength < StepwiseProgressLimit) {
        for (size_t i = 0; i < length; ++i) {
            XorRun(data + i, 1);
            progress.Step();
        }
        return;
    }
    const uint64_t perPosition = fileLength / ProgressDivisions;
    while (length > 0) {
        const uint64_t position = done_ / perPosition;
        if (position != lastPosition_) {
            // The byte that reaches a new position is transformed, then reported.
            XorRun(data, 1);
            ++data;
            --length;
            lastPosition_ = position;
            progress.SetPosition(static_cast<uint32_t>(position));
            continue;
        }
        const uint64_t untilNext = (position + 1) * perPosition - done_;
        const size_t run = static_cast<size_t>(std::min<uint64_t>(length, untilNext));
        XorRun(data, run);
        data += run;
        length -= run;
    }
}

bool TransformBuffer(const uint8_t* key, size_t keyLength, uint8_t level,
                     uint8_t* data, size_t length, CipherProgress* progress)
{
    if (keyLength == 0)
        return false;
    CipherStream stream(key, keyLength, level);
    if (progress)
        stream.ApplyWithProgress(data, length, length, *progress);
    else
        stream.Apply(data, length);
    return true;
}

} // namespace quenzel
