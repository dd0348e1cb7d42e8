// Key bytes: the password's ANSI bytes under the known code page, and key
// files read whole or refused.
#include "engine/cipher.h"
#include "crypt/cipher_key.h"
#include "crypt/file_transform.h"
#include "crypt/secret_memory.h"
#include "tests/support/reference_cipher.h"
#include "tests/support/ui_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace quenzel {
namespace {

std::wstring TempName(const wchar_t* name)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"quenzel-key-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
}

TEST(PasswordBytes, AnsiCodePageIsWindows1252)
{
    // The test run fixes the locale, so the password's bytes are known.
    ASSERT_EQ(GetACP(), 1252u);
    char ansi[32] = {};
    const int n = WideCharToMultiByte(CP_ACP, 0, L"Müller€", -1, ansi, sizeof ansi, nullptr, nullptr);
    ASSERT_EQ(n, 8);
    const SecretBytes key = PasswordKeyBytes(ansi, static_cast<size_t>(n - 1));
    EXPECT_EQ(std::vector<uint8_t>(key.data(), key.data() + key.size()),
              (std::vector<uint8_t>{0x4D, 0xFC, 0x6C, 0x6C, 0x65, 0x72, 0x80}));
}

TEST(KeyFile, ReadWholeAndRefusedWhenMissingEmptyOrLocked)
{
    const std::wstring path = TempName(L"key.bin");
    std::string content(3 * 1024 * 1024 + 5, '\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7 + 3);
    ASSERT_TRUE(uitest::WriteFileBytes(path, content));
    SecretBytes key;
    ASSERT_EQ(ReadKeyFile(path, key), KeyFileResult::Ok);
    EXPECT_EQ(std::string(key.data(), key.data() + key.size()), content);
    // The strong format's key input: the hash of the whole content, read in pieces.
    KeyFileHasher whole;
    whole.Update(key.data(), key.size());
    const SecretBytes expected = whole.Finish();
    SecretBytes hashed;
    ASSERT_EQ(HashKeyFile(path, hashed), KeyFileResult::Ok);
    EXPECT_TRUE(
        std::equal(hashed.data(), hashed.data() + hashed.size(), expected.data(), expected.data() + expected.size()));

    {
        // Another program holds the key file open: no sharing, so refused.
        HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_EQ(ReadKeyFile(path, key), KeyFileResult::CannotOpen);
        EXPECT_EQ(HashKeyFile(path, hashed), KeyFileResult::CannotOpen);
        CloseHandle(held);
    }

    ASSERT_TRUE(uitest::WriteFileBytes(path, ""));
    EXPECT_EQ(ReadKeyFile(path, key), KeyFileResult::Empty);
    EXPECT_TRUE(key.empty());
    EXPECT_EQ(HashKeyFile(path, hashed), KeyFileResult::Empty);
    ASSERT_TRUE(DeleteFileW(path.c_str()));
    EXPECT_EQ(ReadKeyFile(path, key), KeyFileResult::CannotOpen);
}

TEST(KeyFile, FourGiBOrMoreIsRefused)
{
    const std::wstring path = TempName(L"huge.bin");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = (int64_t(1) << 32) + 3; // only the low 32 bits would say 3 bytes
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    ASSERT_TRUE(CloseHandle(file));
    SecretBytes key;
    EXPECT_EQ(ReadKeyFile(path, key), KeyFileResult::TooLarge);
    EXPECT_TRUE(key.empty());
    JobKey jobKey;
    FileIdentity identity;
    EXPECT_EQ(TakeKeyFile(path, jobKey, identity), KeyFileResult::TooLarge);
    EXPECT_FALSE(jobKey.Usable());
    EXPECT_TRUE(DeleteFileW(path.c_str()));
}

// A key longer than the held limit is not held: the file stays open for the
// job, readable by others (its own sources), unchangeable, and is read in
// step with the data, from its first byte again for every file.
TEST(KeyFile, LongKeyIsReadInStepWithTheDataAndCannotChangeMeanwhile)
{
    const std::wstring path = TempName(L"long.bin");
    const std::string content = cipherref::RandomBytes<std::string>(3000, 11);
    ASSERT_TRUE(uitest::WriteFileBytes(path, content));
    JobKey key;
    key.level = 7;
    FileIdentity identity;
    ASSERT_EQ(TakeKeyFile(path, key, identity, 1000), KeyFileResult::Ok);
    EXPECT_TRUE(key.bytes.empty());
    ASSERT_NE(key.file, nullptr);
    EXPECT_TRUE(identity.known);
    EXPECT_TRUE(identity.SameFile(IdentityOfFile(path)));

    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE) << "no one may write the key file while a job holds it";
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
    EXPECT_FALSE(DeleteFileW(path.c_str()));

    const std::wstring plainPath = TempName(L"data.bin");
    const std::string plain = cipherref::RandomBytes<std::string>(10000, 12);
    ASSERT_TRUE(uitest::WriteFileBytes(plainPath, plain));
    for (const wchar_t* output : {L"data.enc1", L"data.enc2"}) {
        TransformRequest request;
        request.source = plainPath;
        request.destination = TempName(output);
        request.key = &key;
        ASSERT_EQ(TransformFile(request).status, TransformStatus::Ok);
        std::string out;
        ASSERT_TRUE(uitest::ReadFileBytes(request.destination, out));
        EXPECT_TRUE(out == cipherref::Reference(plain, content, 7)) << uitest::Narrow(output);
        EXPECT_TRUE(DeleteFileW(request.destination.c_str()));
    }
    key.file.reset();
    // A short key is held as bytes, and the file is free again.
    ASSERT_EQ(TakeKeyFile(path, key, identity), KeyFileResult::Ok);
    EXPECT_EQ(key.file, nullptr);
    EXPECT_EQ(std::string(key.bytes.data(), key.bytes.data() + key.bytes.size()), content);
    EXPECT_TRUE(DeleteFileW(plainPath.c_str()));
    EXPECT_TRUE(DeleteFileW(path.c_str()));
}

// Records how far a key file's reading came, and stops it after `stopAfter` pieces.
class RecordedProgress : public KeyFileProgress {
public:
    explicit RecordedProgress(size_t stopAfter)
        : stopAfter_(stopAfter)
    { }
    void Advanced(uint64_t done, uint64_t total) override { steps.emplace_back(done, total); }
    bool StopAsked() const override { return steps.size() > stopAfter_; }
    std::vector<std::pair<uint64_t, uint64_t>> steps;

private:
    size_t stopAfter_;
};

TEST(KeyFile, ReadingTellsItsProgressAndStopsWhenAsked)
{
    const std::wstring path = TempName(L"pieces.bin");
    const uint64_t size = 2 * KeyFilePieceBytes + 5;
    ASSERT_TRUE(uitest::WriteFileBytes(path, cipherref::RandomBytes<std::string>(size, 13)));
    SecretBytes key;
    SecretBytes hashed;
    JobKey jobKey;
    FileIdentity identity;
    RecordedProgress whole(SIZE_MAX);
    ASSERT_EQ(HashKeyFile(path, hashed, &whole), KeyFileResult::Ok);
    ASSERT_FALSE(whole.steps.empty());
    EXPECT_EQ(whole.steps.front(), std::make_pair(uint64_t{0}, size));
    EXPECT_EQ(whole.steps.back(), std::make_pair(size, size));
    EXPECT_TRUE(std::is_sorted(whole.steps.begin(), whole.steps.end()));

    RecordedProgress stopped(1);
    EXPECT_EQ(HashKeyFile(path, hashed, &stopped), KeyFileResult::Stopped);
    RecordedProgress stoppedHeld(1);
    EXPECT_EQ(TakeKeyFile(path, jobKey, identity, HeldKeyBytes, &stoppedHeld), KeyFileResult::Stopped);
    EXPECT_FALSE(jobKey.Usable()) << "a stopped reading holds no part of the key";
    EXPECT_EQ(stoppedHeld.steps.size(), 2u);
    EXPECT_TRUE(DeleteFileW(path.c_str()));
}

// Reading a pipe, a device or a console might wait for ever (a pipe whose
// writer never writes): none is taken as a key file, whichever way its
// path is spelt.
TEST(KeyFile, OnlyAFileOnADiskIsRead)
{
    const std::wstring pipeName = L"\\\\.\\pipe\\quenzel-key-" + std::to_wstring(GetCurrentProcessId());
    HANDLE pipe = CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, PIPE_UNLIMITED_INSTANCES, 0, 0,
                                   0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    for (const std::wstring& path : {pipeName, std::wstring(L"NUL"), std::wstring(L"\\\\.\\NUL")}) {
        SCOPED_TRACE(uitest::Narrow(path));
        SecretBytes key;
        EXPECT_EQ(ReadKeyFile(path, key), KeyFileResult::NotOnDisk);
        EXPECT_EQ(HashKeyFile(path, key), KeyFileResult::NotOnDisk);
        JobKey jobKey;
        FileIdentity identity;
        EXPECT_EQ(TakeKeyFile(path, jobKey, identity, 0), KeyFileResult::NotOnDisk);
    }
    EXPECT_TRUE(CloseHandle(pipe));
}

// The room made at start holds what a job locks at most: no lock of its
// secrets is refused.
TEST(SecretMemory, WhatAJobHoldsStaysLocked)
{
    ASSERT_TRUE(RaiseLockableMemory());
    const size_t refusedBefore = SecretLockFailures();
    {
        const SecretBytes heldKey(HeldKeyBytes);
        const SecretBytes pattern(HeldKeyBytes);
        const SecretBytes longKeyPiece(KeyFilePieceBytes);
        const SecretBytes hashPiece(KeyFilePieceBytes);
        KeyFileHasher hasher;
        std::vector<SecretBytes> small;
        for (int i = 0; i < 64; ++i)
            small.emplace_back(32);
    }
    EXPECT_EQ(SecretLockFailures(), refusedBefore);
}

} // namespace
} // namespace quenzel
