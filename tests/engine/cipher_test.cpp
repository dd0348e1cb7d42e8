#include "engine/cipher.h"
#include "tests/support/reference_cipher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace quenzel {
namespace {

using Bytes = std::vector<uint8_t>;

using cipherref::RandomBytes;
using cipherref::RecordedProgress;
using cipherref::Reference;
using cipherref::ReferencePositions;

TEST(Cipher, MatchesPerByteDefinitionForEveryKeyLengthAndOffset)
{
    for (size_t keyLength : {size_t(1), size_t(4), size_t(13), size_t(32), size_t(1000), size_t(1) << 20}) {
        const Bytes key = RandomBytes(keyLength, static_cast<unsigned>(keyLength));
        for (size_t length :
             {size_t(0), size_t(1), size_t(7), size_t(99), size_t(100), size_t(4097), size_t(70001), size_t(3 << 20)}) {
            const Bytes data = RandomBytes(length, static_cast<unsigned>(length + 1));
            // Unaligned buffers: the data starts at every offset within a word.
            for (size_t offset : {size_t(0), size_t(3)}) {
                Bytes buffer(length + offset);
                if (length)
                    std::memcpy(buffer.data() + offset, data.data(), length);
                ASSERT_TRUE(TransformBuffer(key.data(), key.size(), 0x5A, buffer.data() + offset, length, nullptr));
                const Bytes got(buffer.begin() + offset, buffer.end());
                ASSERT_EQ(got, Reference(data, key, 0x5A)) << "key " << keyLength << " length " << length;
            }
        }
    }
}

// Every inner loop the processor offers, from every data alignment and key
// position, over lengths around the vector widths: each chunk starts where
// the last one left the key.
TEST(Cipher, EveryInnerLoopMatchesAtOddAlignmentsAndKeyPositions)
{
    for (XorPath path : {XorPath::Portable, XorPath::Sse2, XorPath::Avx2}) {
        if (!UseXorPath(path))
            continue;
        for (size_t keyLength : {size_t(1), size_t(3), size_t(31), size_t(64), size_t(65), size_t(20000)}) {
            const Bytes key = RandomBytes(keyLength, static_cast<unsigned>(keyLength) + 7);
            for (size_t offset : {size_t(1), size_t(15), size_t(17), size_t(31)}) {
                const Bytes data = RandomBytes(40000 + offset, static_cast<unsigned>(offset));
                Bytes buffer(data.size() + offset);
                std::memcpy(buffer.data() + offset, data.data(), data.size());
                CipherStream stream(key.data(), key.size(), 0xA5);
                uint8_t* at = buffer.data() + offset;
                for (size_t piece : {size_t(5), size_t(127), size_t(129), size_t(33), size_t(16411)}) {
                    stream.Apply(at, piece);
                    at += piece;
                }
                stream.Apply(at, static_cast<size_t>(buffer.data() + buffer.size() - at));
                ASSERT_EQ(Bytes(buffer.begin() + offset, buffer.end()), Reference(data, key, 0xA5))
                    << "path " << static_cast<int>(path) << " key " << keyLength << " offset " << offset;
            }
        }
    }
    UseBestXorPath();
}

TEST(Cipher, ChunksGiveTheSameBytesAndProgressAsOnePiece)
{
    const Bytes key = RandomBytes(13, 1);
    const Bytes data = RandomBytes(1234567, 2);
    RecordedProgress whole;
    Bytes one(data);
    ASSERT_TRUE(TransformBuffer(key.data(), key.size(), 7, one.data(), one.size(), &whole));

    RecordedProgress pieces;
    Bytes chunked(data);
    CipherStream stream(key.data(), key.size(), 7);
    for (size_t at = 0, piece = 1; at < chunked.size(); piece = piece * 3 + 1) {
        const size_t n = std::min(piece, chunked.size() - at);
        stream.ApplyWithProgress(chunked.data() + at, n, chunked.size(), pieces);
        at += n;
    }
    EXPECT_EQ(chunked, one);
    EXPECT_EQ(one, Reference(data, key, 7));
    EXPECT_EQ(pieces.positions, whole.positions);
    EXPECT_EQ(whole.positions, ReferencePositions(data.size()));
}

TEST(Cipher, ProgressPositionsFollowTheFileLength)
{
    const Bytes key = {'W', 'E', 'L', 'K'};
    struct Case {
        size_t length;
        uint32_t first, last;
        size_t count;
    };
    // 100 bytes: positions 1..99; 250 bytes (q = 2): 1..124.
    for (const Case c : {Case{100, 1, 99, 99}, Case{250, 1, 124, 124}, Case{101, 1, 100, 100}}) {
        Bytes data(c.length, 0);
        RecordedProgress progress;
        ASSERT_TRUE(TransformBuffer(key.data(), key.size(), 7, data.data(), data.size(), &progress));
        ASSERT_EQ(progress.positions.size(), c.count) << c.length;
        EXPECT_EQ(progress.positions.front(), c.first);
        EXPECT_EQ(progress.positions.back(), c.last);
        EXPECT_EQ(progress.steps, 0u);
    }
    Bytes small(99, 0);
    RecordedProgress steps;
    ASSERT_TRUE(TransformBuffer(key.data(), key.size(), 7, small.data(), small.size(), &steps));
    EXPECT_EQ(steps.steps, 99u);
    EXPECT_TRUE(steps.positions.empty());

    RecordedProgress none;
    ASSERT_TRUE(TransformBuffer(key.data(), key.size(), 7, nullptr, 0, &none));
    EXPECT_EQ(none.steps, 0u);
    EXPECT_TRUE(none.positions.empty());
}

TEST(Cipher, TwiceRestoresAndDefaultPasswordAndLevelApply)
{
    const SecretBytes welk = PasswordKeyBytes("", 0);
    const Bytes key(welk.data(), welk.data() + welk.size());
    ASSERT_EQ(key, (Bytes{'W', 'E', 'L', 'K'}));
    Bytes data = {0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(TransformBuffer(key.data(), key.size(), 7, data.data(), data.size(), nullptr));
    EXPECT_EQ(data, (Bytes{'W' ^ 7, 'E' ^ 7, 'L' ^ 7, 'K' ^ 7, 'W' ^ 7, 'E' ^ 7}));
    ASSERT_TRUE(TransformBuffer(key.data(), key.size(), 7, data.data(), data.size(), nullptr));
    EXPECT_EQ(data, Bytes(6, 0));

    const SecretBytes one = PasswordKeyBytes("a", 1);
    Bytes text = {1, 2, 3};
    ASSERT_TRUE(TransformBuffer(one.data(), one.size(), 0, text.data(), text.size(), nullptr));
    EXPECT_EQ(text, (Bytes{1 ^ 'a', 2 ^ 'a', 3 ^ 'a'}));
}

TEST(Cipher, RefusesAnEmptyKeyAndLeavesTheBuffer)
{
    Bytes data = {1, 2, 3};
    EXPECT_FALSE(TransformBuffer(nullptr, 0, 7, data.data(), data.size(), nullptr));
    EXPECT_EQ(data, (Bytes{1, 2, 3}));
}

// A key in memory handed out the way a key file read in step with the data
// hands it out; it fails after `failAfter` bytes.
struct MemoryKeyReader : KeyReader {
    Bytes key;
    size_t at = 0;
    size_t given = 0;
    size_t failAfter = SIZE_MAX;
    bool Next(uint8_t* out, size_t length) override
    {
        if (given + length > failAfter)
            return false;
        for (size_t i = 0; i < length; ++i, at = (at + 1) % key.size())
            out[i] = key[at];
        given += length;
        return true;
    }
};

TEST(Cipher, KeyReadInStepWithTheDataGivesTheSameBytes)
{
    struct Case {
        size_t keyLength, dataLength;
    };
    // A key longer than the data, one that wraps many times, one that
    // wraps across the reader's pieces.
    for (const Case c : {Case{5000, 3000}, Case{7, 100000}, Case{1536 * 1024, 4 * 1024 * 1024 + 11}}) {
        MemoryKeyReader reader;
        reader.key = RandomBytes(c.keyLength, 3);
        const Bytes data = RandomBytes(c.dataLength, 4);
        Bytes chunked(data);
        RecordedProgress progress;
        CipherStream stream(reader, 9);
        for (size_t at = 0, piece = 1; at < chunked.size(); piece = piece * 5 + 3) {
            const size_t n = std::min(piece, chunked.size() - at);
            stream.ApplyWithProgress(chunked.data() + at, n, chunked.size(), progress);
            at += n;
        }
        EXPECT_FALSE(stream.Failed());
        EXPECT_TRUE(chunked == Reference(data, reader.key, 9)) << c.keyLength << " " << c.dataLength;
        EXPECT_EQ(progress.positions, ReferencePositions(data.size()));
    }
}

TEST(Cipher, AKeyReaderThatFailsStopsTheTransform)
{
    MemoryKeyReader reader;
    reader.key = RandomBytes(100, 5);
    reader.failAfter = 150;
    Bytes data(300, 0);
    CipherStream stream(reader, 0);
    stream.Apply(data.data(), 100);
    EXPECT_FALSE(stream.Failed());
    stream.Apply(data.data() + 100, 200);
    EXPECT_TRUE(stream.Failed());
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 100, reader.key.begin()));
}

} // namespace
} // namespace quenzel
