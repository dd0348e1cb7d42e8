// The strong format on the shared temporary-file path: a round trip, the
// format told by the file's first bytes, and refusals that write nothing.
#include "crypt/strong_transform.h"
#include "crypt/piece_pipeline.h"
#include "tests/support/reference_cipher.h"
#include "tests/support/ui_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

namespace quenzel {
namespace {

using cipherref::RandomBytes;
using cipherref::Reference;
using uitest::ReadFileBytes;
using uitest::WriteFileBytes;

// Argon2id at its cheapest, so the tests run in milliseconds.
constexpr KdfParams CheapParams{1, 8};
constexpr KdfBounds CheapBounds{CheapParams, 8, 8};

struct FixedKey : JobKey {
    std::vector<uint8_t> key{'K', 'E', 'Y'};
    FixedKey()
    {
        bytes = SecretBytes(key.data(), key.size());
        level = 7;
    }
};

class StrongTransformTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"quenzel-strong-" + std::to_wstring(GetCurrentProcessId());
        uitest::RemoveTree(dir_);
        ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
        ASSERT_EQ(encryptor_.PrepareWith(PasswordKeyInput(u8"Pässwort"), CheapParams, StrongSalt{1, 2, 3}),
                  StrongStatus::Ok);
    }
    void TearDown() override { uitest::RemoveTree(dir_); }
    std::wstring Path(const wchar_t* name) const { return dir_ + L"\\" + name; }

    TransformRequest Request(const wchar_t* source, const wchar_t* destination)
    {
        TransformRequest request;
        request.source = Path(source);
        request.destination = Path(destination);
        request.key = &legacyKey_;
        return request;
    }
    std::string Read(const wchar_t* name) const
    {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(Path(name), bytes));
        return bytes;
    }
    size_t FileCount() const
    {
        size_t count = 0;
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((dir_ + L"\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            return 0;
        do {
            count += found.cFileName[0] != L'.';
        } while (FindNextFileW(find, &found));
        FindClose(find);
        return count;
    }

    std::wstring dir_;
    FixedKey legacyKey_;
    StrongEncryptor encryptor_;
};

TEST_F(StrongTransformTest, RoundTripsAndDecryptsEachFileByItsFormat)
{
    StrongDecryptor decryptor(PasswordKeyInput(u8"Pässwort"), CheapBounds);
    // The last size goes round the pipeline's ring of buffers more than once.
    for (size_t size : {size_t(0), size_t(5), StrongChunkBytes, StrongChunkBytes * 2 + 9,
                        StrongChunkBytes * (PiecePipeline::Slots * 2 + 1) + 3}) {
        const std::string plain = RandomBytes<std::string>(size, static_cast<unsigned>(size));
        ASSERT_TRUE(WriteFileBytes(Path(L"plain"), plain));
        ASSERT_EQ(StrongEncryptFile(Request(L"plain", L"plain.enc"), encryptor_).status, TransformStatus::Ok);
        EXPECT_EQ(Read(L"plain.enc").size(), StrongEncryptedSize(size));
        ASSERT_EQ(DecryptFileByFormat(Request(L"plain.enc", L"plain.dec"), decryptor).status, TransformStatus::Ok);
        EXPECT_TRUE(Read(L"plain.dec") == plain) << size;
    }
    // A legacy file, even one shorter than the magic, is transformed byte for byte as before.
    for (const char* legacy : {"", "abc", "a legacy file of some length"}) {
        ASSERT_TRUE(WriteFileBytes(Path(L"legacy"), legacy));
        ASSERT_EQ(DecryptFileByFormat(Request(L"legacy", L"legacy.dec"), decryptor).status, TransformStatus::Ok);
        EXPECT_TRUE(Read(L"legacy.dec") == Reference(std::string(legacy), legacyKey_.key, 7)) << legacy;
    }
    EXPECT_EQ(decryptor.Derivations(), 1u) << "one Argon2id run for the job";
    EXPECT_EQ(FileCount(), 5u) << "no temporary file is left";
}

// A wrong password, a flipped byte anywhere, a cut or a swapped chunk: the
// destination keeps what it held, the source stays, no temporary is left.
TEST_F(StrongTransformTest, RefusedFilesWriteNothing)
{
    const std::string plain = RandomBytes<std::string>(StrongChunkBytes + 100, 9);
    ASSERT_TRUE(WriteFileBytes(Path(L"plain"), plain));
    ASSERT_EQ(StrongEncryptFile(Request(L"plain", L"good.enc"), encryptor_).status, TransformStatus::Ok);
    const std::string good = Read(L"good.enc");
    const size_t firstChunkEnd = StrongHeaderBytesV2 + StrongChunkBytes + StrongChunkOverhead;

    std::string flippedHeader = good, flippedLast = good, cut = good.substr(0, firstChunkEnd), nearMiss = good;
    flippedHeader[20] ^= 1;
    nearMiss[1] = 'q';
    flippedLast[good.size() - 3] ^= 0x80;
    struct Case {
        const char* what;
        std::string bytes;
        const char* password;
    } const cases[] = {
        {"wrong password", good, u8"Passwort"},
        {"header", flippedHeader, u8"Pässwort"},
        {"last chunk", flippedLast, u8"Pässwort"},
        {"cut at a chunk's end", cut, u8"Pässwort"},
        {"cut inside the header", good.substr(0, 40), u8"Pässwort"},
        {"the magic but for a byte", nearMiss, u8"Pässwort"},
        {"seven bytes of the magic", good.substr(0, 7), u8"Pässwort"},
        {"data after the end", good + "x", u8"Pässwort"},
    };
    for (const Case& c : cases) {
        StrongDecryptor decryptor(PasswordKeyInput(std::string(c.password)), CheapBounds);
        ASSERT_TRUE(WriteFileBytes(Path(L"damaged.enc"), c.bytes));
        ASSERT_TRUE(WriteFileBytes(Path(L"out"), "earlier output"));
        const TransformOutcome outcome = DecryptFileByFormat(Request(L"damaged.enc", L"out"), decryptor);
        EXPECT_EQ(outcome.status, TransformStatus::WrongKeyOrDamaged) << c.what;
        EXPECT_EQ(Read(L"out"), "earlier output") << c.what;
        EXPECT_TRUE(Read(L"damaged.enc") == c.bytes) << c.what;
        EXPECT_TRUE(outcome.strayTemporary.empty()) << c.what;
        // In place: the source itself is the destination and stays whole.
        EXPECT_EQ(DecryptFileByFormat(Request(L"damaged.enc", L"damaged.enc"), decryptor).status,
                  TransformStatus::WrongKeyOrDamaged);
        EXPECT_TRUE(Read(L"damaged.enc") == c.bytes) << c.what;
    }
    std::string later = good;
    later[sizeof StrongMagic] = StrongVersion + 1;
    ASSERT_TRUE(WriteFileBytes(Path(L"later.enc"), later));
    StrongDecryptor decryptor(PasswordKeyInput(std::string(u8"Pässwort")), CheapBounds);
    EXPECT_EQ(DecryptFileByFormat(Request(L"later.enc", L"out"), decryptor).status, TransformStatus::LaterVersion);
    EXPECT_EQ(Read(L"out"), "earlier output");
    EXPECT_EQ(FileCount(), 5u) << "no temporary file is left";
}

// A file of version 1 (format.md's vector 1), whose header is shorter than
// version 2's, is still read: its key checked, and decrypted.
TEST_F(StrongTransformTest, AVersion1FileIsStillRead)
{
    const char* hex = "89515a530d0a1a0a010300000000000400000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c"
                      "1d1e1f2021222324252627d74e43573e10e7bee6aea0da9cb230793dab6d28564aaf9cf3fea94efe8f2ee670e50ca3"
                      "1e121d";
    std::string file;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2)
        file += static_cast<char>(std::stoi(std::string(hex + i, 2), nullptr, 16));
    ASSERT_TRUE(WriteFileBytes(Path(L"v1.enc"), file));
    JobTransformer transformer;
    transformer.PrepareDecryption(PasswordKeyInput(std::string(u8"Müller€")));
    EXPECT_EQ(transformer.CheckKey(Path(L"v1.enc")), TransformStatus::Ok);
    ASSERT_EQ(transformer.Transform(Request(L"v1.enc", L"v1.dec")).status, TransformStatus::Ok);
    EXPECT_EQ(Read(L"v1.dec"), "Quenzel strong format\n");
}

// A stop asked while a strong file is worked on ends it at the next chunk;
// the output goes as for the original format.
TEST_F(StrongTransformTest, AStopEndsAStrongFileAndRemovesItsOutput)
{
    ASSERT_TRUE(WriteFileBytes(Path(L"plain"), RandomBytes<std::string>(StrongChunkBytes * 2, 3)));
    ASSERT_EQ(StrongEncryptFile(Request(L"plain", L"plain.enc"), encryptor_).status, TransformStatus::Ok);
    const std::atomic<bool> stop{true};
    TransformRequest encrypt = Request(L"plain", L"again.enc"), decrypt = Request(L"plain.enc", L"plain.dec");
    encrypt.stop = decrypt.stop = &stop;
    StrongDecryptor decryptor(PasswordKeyInput(u8"Pässwort"), CheapBounds);
    EXPECT_EQ(StrongEncryptFile(encrypt, encryptor_).status, TransformStatus::Stopped);
    EXPECT_EQ(DecryptFileByFormat(decrypt, decryptor).status, TransformStatus::Stopped);
    EXPECT_EQ(FileCount(), 2u) << "no output and no temporary file is left";
}

// A read that fails in the middle of the source (here a pipe whose writer
// goes) fails the reading thread: the pieces read before it are still
// worked on and written in order, then the caller learns the system's error.
TEST(PiecePipelineTest, AReadFailingMidStreamEndsThePiecesWithItsError)
{
    constexpr size_t Piece = 4096;
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 1 << 20));
    const std::string sent = RandomBytes<std::string>(Piece * 2 + 100, 6);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(writeEnd, sent.data(), static_cast<DWORD>(sent.size()), &written, nullptr));
    CloseHandle(writeEnd);
    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring outPath = std::wstring(temp) + L"quenzel-pipeline-" + std::to_wstring(GetCurrentProcessId());
    HANDLE output = CreateFileW(outPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(output, INVALID_HANDLE_VALUE);
    {
        PiecePipeline pipeline(readEnd, output, Piece + 2, 1);
        ASSERT_TRUE(pipeline.Start(Piece * 4, Piece, 4));
        std::string worked;
        DWORD length = 0;
        while (uint8_t* buffer = pipeline.Next(length)) {
            buffer[0] = '>';
            worked.append(reinterpret_cast<char*>(buffer) + 1, length);
            pipeline.Write(length + 1);
        }
        EXPECT_EQ(pipeline.Failed(), PiecePipeline::Failure::Read);
        EXPECT_EQ(pipeline.Error(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
        EXPECT_TRUE(worked == sent.substr(0, Piece * 2));
        EXPECT_TRUE(pipeline.Finish() == false);
    }
    CloseHandle(readEnd);
    ASSERT_TRUE(CloseHandle(output));
    std::string out;
    EXPECT_TRUE(ReadFileBytes(outPath, out));
    EXPECT_TRUE(out == ">" + sent.substr(0, Piece) + ">" + sent.substr(Piece, Piece)) << out.size();
    EXPECT_TRUE(DeleteFileW(outPath.c_str()));
}

// A volume that fills in the middle of a file fails the writing thread: the
// job reports the full volume and leaves nothing on it.
TEST_F(StrongTransformTest, AWriteFailingMidStreamIsReportedAndLeavesNoOutput)
{
    wchar_t drive[8] = {};
    if (!GetEnvironmentVariableW(L"QUENZEL_SMALL_DRIVE", drive, 8))
        GTEST_SKIP() << "the test run has no small volume to fill";
    ASSERT_TRUE(WriteFileBytes(Path(L"plain"), RandomBytes<std::string>(StrongChunkBytes * 3, 5)));
    TransformRequest request = Request(L"plain", L"");
    request.destination = std::wstring(drive) + L"\\full.enc";
    const TransformOutcome outcome = StrongEncryptFile(request, encryptor_);
    EXPECT_EQ(outcome.status, TransformStatus::WriteFailed);
    EXPECT_EQ(outcome.systemError, static_cast<unsigned long>(ERROR_DISK_FULL));
    EXPECT_TRUE(outcome.strayTemporary.empty());
    EXPECT_EQ(GetFileAttributesW(request.destination.c_str()), INVALID_FILE_ATTRIBUTES);
}

// A decryption whose key file is too large for the original format still
// decrypts strong files; a file of the original format is refused whole.
TEST_F(StrongTransformTest, KeyFileTooLargeForTheOriginalFormatRefusesOnlyItsFiles)
{
    ASSERT_TRUE(WriteFileBytes(Path(L"plain"), "strong content"));
    ASSERT_EQ(StrongEncryptFile(Request(L"plain", L"strong.enc"), encryptor_).status, TransformStatus::Ok);
    ASSERT_TRUE(WriteFileBytes(Path(L"legacy.enc"), "original format"));
    ASSERT_TRUE(WriteFileBytes(Path(L"out"), "earlier output"));
    JobKey tooLarge;
    tooLarge.legacyTooLarge = true;
    StrongDecryptor decryptor(PasswordKeyInput(u8"Pässwort"), CheapBounds);
    TransformRequest strong = Request(L"strong.enc", L"strong.dec"), legacy = Request(L"legacy.enc", L"out");
    strong.key = legacy.key = &tooLarge;
    ASSERT_EQ(DecryptFileByFormat(strong, decryptor).status, TransformStatus::Ok);
    EXPECT_EQ(Read(L"strong.dec"), "strong content");
    EXPECT_EQ(DecryptFileByFormat(legacy, decryptor).status, TransformStatus::KeyFileTooLarge);
    EXPECT_EQ(Read(L"out"), "earlier output");
    EXPECT_EQ(FileCount(), 5u) << "no temporary file is left";
}

} // namespace
} // namespace quenzel
