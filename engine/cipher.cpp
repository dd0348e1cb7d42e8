#include "engine/cipher.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <vector>

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>
#define QUENZEL_X86 1
#endif

namespace quenzel {

namespace {

// Short keys are repeated into a pattern of at least this many bytes, so the
// inner loop runs long stretches over data and pattern side by side; the
// pattern stays in the first-level cache.
constexpr size_t MinPatternBytes = 16 * 1024;
// A key read in step with the data is read this much at a time at most.
constexpr size_t KeyPieceBytes = 1024 * 1024;
constexpr uint64_t ProgressDivisions = 100;
// A classic transform of a stream reads, transforms and writes this much at a time.
constexpr size_t ClassicStreamChunkBytes = 1024 * 1024;

using XorFunction = void (*)(uint8_t* data, const uint8_t* pattern, size_t length);

void XorPortable(uint8_t* data, const uint8_t* pattern, size_t length)
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

#ifdef QUENZEL_X86

// The 32-bit Windows stack promises only 4-byte alignment.
#if defined(__i386__)
#define QUENZEL_ALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define QUENZEL_ALIGN_STACK
#endif

// The bytes before `data` reaches an `alignment`-byte boundary, at most `length`.
size_t HeadBytes(const uint8_t* data, size_t length, size_t alignment)
{
    const size_t misalignment = reinterpret_cast<uintptr_t>(data) & (alignment - 1);
    return std::min(length, misalignment ? alignment - misalignment : 0);
}

// Stores go to aligned data; the pattern is read wherever the key position
// puts it.
__attribute__((target("sse2"))) QUENZEL_ALIGN_STACK void XorSse2(uint8_t* data, const uint8_t* pattern, size_t length)
{
    const size_t head = HeadBytes(data, length, 16);
    XorPortable(data, pattern, head);
    size_t i = head;
    for (; i + 64 <= length; i += 64) {
        auto* d = reinterpret_cast<__m128i*>(data + i);
        const auto* p = reinterpret_cast<const __m128i*>(pattern + i);
        const __m128i x0 = _mm_xor_si128(_mm_load_si128(d + 0), _mm_loadu_si128(p + 0));
        const __m128i x1 = _mm_xor_si128(_mm_load_si128(d + 1), _mm_loadu_si128(p + 1));
        const __m128i x2 = _mm_xor_si128(_mm_load_si128(d + 2), _mm_loadu_si128(p + 2));
        const __m128i x3 = _mm_xor_si128(_mm_load_si128(d + 3), _mm_loadu_si128(p + 3));
        _mm_store_si128(d + 0, x0);
        _mm_store_si128(d + 1, x1);
        _mm_store_si128(d + 2, x2);
        _mm_store_si128(d + 3, x3);
    }
    XorPortable(data + i, pattern + i, length - i);
}

__attribute__((target("avx2"))) QUENZEL_ALIGN_STACK void XorAvx2(uint8_t* data, const uint8_t* pattern, size_t length)
{
    const size_t head = HeadBytes(data, length, 32);
    XorPortable(data, pattern, head);
    size_t i = head;
    for (; i + 128 <= length; i += 128) {
        auto* d = reinterpret_cast<__m256i*>(data + i);
        const auto* p = reinterpret_cast<const __m256i*>(pattern + i);
        const __m256i x0 = _mm256_xor_si256(_mm256_load_si256(d + 0), _mm256_loadu_si256(p + 0));
        const __m256i x1 = _mm256_xor_si256(_mm256_load_si256(d + 1), _mm256_loadu_si256(p + 1));
        const __m256i x2 = _mm256_xor_si256(_mm256_load_si256(d + 2), _mm256_loadu_si256(p + 2));
        const __m256i x3 = _mm256_xor_si256(_mm256_load_si256(d + 3), _mm256_loadu_si256(p + 3));
        _mm256_store_si256(d + 0, x0);
        _mm256_store_si256(d + 1, x1);
        _mm256_store_si256(d + 2, x2);
        _mm256_store_si256(d + 3, x3);
    }
    _mm256_zeroupper();
    XorSse2(data + i, pattern + i, length - i);
}

bool CpuHas(XorPath path)
{
    __builtin_cpu_init();
    switch (path) {
    case XorPath::Portable:
        return true;
    case XorPath::Sse2:
        return __builtin_cpu_supports("sse2");
    case XorPath::Avx2:
        return __builtin_cpu_supports("avx2");
    }
    return false;
}

#else

bool CpuHas(XorPath path)
{
    return path == XorPath::Portable;
}

#endif

XorFunction FunctionOf(XorPath path)
{
    switch (path) {
#ifdef QUENZEL_X86
    case XorPath::Sse2:
        return XorSse2;
    case XorPath::Avx2:
        return XorAvx2;
#endif
    default:
        return XorPortable;
    }
}

XorPath BestPath()
{
    for (XorPath path : {XorPath::Avx2, XorPath::Sse2})
        if (CpuHas(path))
            return path;
    return XorPath::Portable;
}

// Chosen on first use, from what the processor offers.
std::atomic<XorFunction> ChosenXor{nullptr};

XorFunction CurrentXor()
{
    XorFunction chosen = ChosenXor.load(std::memory_order_relaxed);
    if (!chosen) {
        chosen = FunctionOf(BestPath());
        ChosenXor.store(chosen, std::memory_order_relaxed);
    }
    return chosen;
}

} // namespace

bool UseXorPath(XorPath path)
{
    if (!CpuHas(path))
        return false;
    ChosenXor.store(FunctionOf(path));
    return true;
}

void UseBestXorPath()
{
    ChosenXor.store(FunctionOf(BestPath()));
}

SecretBytes PasswordKeyBytes(const char* ansi, size_t length)
{
    if (length == 0)
        return SecretBytes(DefaultPassword, sizeof DefaultPassword - 1);
    return SecretBytes(ansi, length);
}

CipherStream::CipherStream(const uint8_t* key, size_t keyLength, uint8_t level)
    : keyLength_(keyLength)
{
    const size_t repeats = std::max<size_t>(1, (MinPatternBytes + keyLength - 1) / keyLength);
    pattern_ = SecretBytes(keyLength * repeats);
    uint8_t* pattern = pattern_.data();
    for (size_t r = 0; r < repeats; ++r)
        for (size_t k = 0; k < keyLength; ++k)
            pattern[r * keyLength + k] = static_cast<uint8_t>(key[k] ^ level);
}

CipherStream::CipherStream(KeyReader& reader, uint8_t level)
    : keyLength_(0)
    , reader_(&reader)
    , level_(level)
{ }

void CipherStream::XorRunFromReader(uint8_t* data, size_t length)
{
    const XorFunction xorBytes = CurrentXor();
    while (length > 0 && !failed_) {
        const size_t run = std::min(length, KeyPieceBytes);
        if (pattern_.size() < run)
            pattern_ = SecretBytes(run); // the smaller one is wiped as it goes
        if (!reader_->Next(pattern_.data(), run)) {
            failed_ = true;
            return;
        }
        uint8_t* pattern = pattern_.data();
        for (size_t i = 0; i < run; ++i)
            pattern[i] = static_cast<uint8_t>(pattern[i] ^ level_);
        xorBytes(data, pattern_.data(), run);
        data += run;
        length -= run;
        done_ += run;
    }
}

void CipherStream::XorRun(uint8_t* data, size_t length)
{
    if (reader_) {
        XorRunFromReader(data, length);
        return;
    }
    const XorFunction xorBytes = CurrentXor();
    while (length > 0) {
        // From any key position the pattern holds at least (repeats - 1) whole
        // keys plus the rest of the current one.
        const size_t run = std::min(length, pattern_.size() - keyPosition_);
        xorBytes(data, pattern_.data() + keyPosition_, run);
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

void CipherStream::ApplyWithProgress(uint8_t* data, size_t length, uint64_t fileLength, CipherProgress& progress)
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

bool TransformBuffer(const uint8_t* key, size_t keyLength, uint8_t level, uint8_t* data, size_t length,
                     CipherProgress* progress)
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

ClassicStatus TransformClassic(ByteReader& source, ByteWriter& destination, CipherStream& cipher,
                               StrongProgress* progress)
{
    std::vector<uint8_t> chunk;
    try {
        chunk.resize(ClassicStreamChunkBytes);
    } catch (const std::bad_alloc&) {
        return ClassicStatus::OutOfMemory;
    }
    uint64_t done = 0;
    for (;;) {
        if (progress && progress->StopAsked())
            return ClassicStatus::Stopped;
        size_t got = 0;
        if (!ReadFull(source, chunk.data(), chunk.size(), got))
            return ClassicStatus::ReadFailed;
        if (got == 0)
            return ClassicStatus::Ok;
        cipher.Apply(chunk.data(), got);
        if (cipher.Failed())
            return ClassicStatus::KeyReadFailed;
        const bool written = destination.Write(chunk.data(), got);
        WipeSecret(chunk.data(), got);
        if (!written)
            return ClassicStatus::WriteFailed;
        done += got;
        if (progress)
            progress->Advanced(done);
    }
}

} // namespace quenzel
