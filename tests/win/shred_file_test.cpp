// Shredding one file: the whole content zeroed whatever its size, nothing
// deleted that was not fully overwritten, locked and read-only files untouched.
#include "shredder/shred_file.h"
#include "tests/support/ui_driver.h"

#include <gtest/gtest.h>

#include <string>

namespace quenzel {
namespace {

using uitest::FileExists;
using uitest::ReadFileBytes;
using uitest::WriteFileBytes;

std::string Pattern(size_t n)
{
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>('a' + i % 26);
    return bytes;
}

class ShredFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"quenzel-shred-" + std::to_wstring(GetCurrentProcessId()) + L".bin";
    }
    void TearDown() override
    {
        SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path_.c_str());
    }

    std::wstring path_;
};

TEST_F(ShredFileTest, EveryByteBecomesZeroAndTheLengthStays)
{
    for (size_t size : {size_t{0}, size_t{1}, ShredBlockSize - 1, ShredBlockSize, 3 * ShredBlockSize + 7}) {
        ASSERT_TRUE(WriteFileBytes(path_, Pattern(size)));
        EXPECT_EQ(ShredFile(path_, false), ShredResult::Shredded) << size;
        std::string after;
        ASSERT_TRUE(ReadFileBytes(path_, after)) << size;
        EXPECT_TRUE(after == std::string(size, '\0')) << size;
    }
}

TEST_F(ShredFileTest, DeletedOnlyWhenAsked)
{
    for (size_t size : {size_t{0}, size_t{5000}}) {
        ASSERT_TRUE(WriteFileBytes(path_, Pattern(size)));
        EXPECT_EQ(ShredFile(path_, true), ShredResult::Shredded) << size;
        EXPECT_FALSE(FileExists(path_)) << size;
    }
    EXPECT_EQ(ShredFile(path_, true), ShredResult::OpenFailed) << "a missing file";
}

TEST_F(ShredFileTest, LockedAndReadOnlyFilesAreNeitherChangedNorDeleted)
{
    const std::string content = Pattern(4096);
    ASSERT_TRUE(WriteFileBytes(path_, content));
    HANDLE held = CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ShredFile(path_, true), ShredResult::InUse);
    CloseHandle(held);
    std::string after;
    ASSERT_TRUE(ReadFileBytes(path_, after));
    EXPECT_TRUE(after == content) << "a locked file";

    ASSERT_TRUE(SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(ShredFile(path_, true), ShredResult::ReadOnly);
    ASSERT_TRUE(ReadFileBytes(path_, after));
    EXPECT_TRUE(after == content) << "a read-only file";
}

// "twin." and "twin" are two files: the one named is the one shredded, and
// the other keeps its content.
TEST_F(ShredFileTest, ANameEndingInADotOrASpaceIsShreddedNotItsTwin)
{
    ASSERT_TRUE(WriteFileBytes(path_, "the twin"));
    for (const wchar_t* end : {L".", L" "}) {
        const std::wstring named = path_ + end;
        ASSERT_TRUE(WriteFileBytes(named, "named"));
        EXPECT_EQ(ShredFile(named, true), ShredResult::Shredded);
        EXPECT_FALSE(FileExists(named));
        std::string twin;
        ASSERT_TRUE(ReadFileBytes(path_, twin));
        EXPECT_EQ(twin, "the twin") << "name ending in \"" << uitest::Narrow(end) << "\"";
    }
}

// A link is left alone: neither it nor the file it leads to is written.
TEST_F(ShredFileTest, ALinkIsNeverWrittenThrough)
{
    const std::wstring link = path_ + L".link";
    ASSERT_TRUE(WriteFileBytes(path_, "the target"));
    CreateSymbolicLinkW(link.c_str(), path_.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    const DWORD attributes = GetFileAttributesW(link.c_str());
    // Wine 8 makes no links, and shows a Unix link to a file as a plain file.
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        DeleteFileW(link.c_str());
        GTEST_SKIP() << "this system makes no file link the program can see as one";
    }
    EXPECT_EQ(ShredFile(link, true), ShredResult::Link);
    EXPECT_TRUE(FileExists(link));
    std::string target;
    ASSERT_TRUE(ReadFileBytes(path_, target));
    EXPECT_EQ(target, "the target");
    EXPECT_TRUE(DeleteFileW(link.c_str()));
}

// A sparse file: only its ends hold data, the zeros of the middle are written
// to the disk by the shredder.
bool MakeSparseFile(const std::wstring& path, uint64_t size, const std::string& head, const std::string& tail)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD done = 0;
    LARGE_INTEGER at{};
    bool ok = WriteFile(file, head.data(), static_cast<DWORD>(head.size()), &done, nullptr) != FALSE;
    at.QuadPart = static_cast<LONGLONG>(size - tail.size());
    ok = ok && SetFilePointerEx(file, at, nullptr, FILE_BEGIN)
        && WriteFile(file, tail.data(), static_cast<DWORD>(tail.size()), &done, nullptr);
    return CloseHandle(file) && ok;
}

// Reads `count` bytes at `offset`.
std::string BytesAt(const std::wstring& path, uint64_t offset, DWORD count)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<cannot open>";
    std::string bytes(count, '?');
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD read = 0;
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) || !ReadFile(file, bytes.data(), count, &read, nullptr))
        bytes = "<cannot read>";
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

TEST_F(ShredFileTest, FileOverFourGigabytesIsZeroedToItsEnd)
{
    const uint64_t size = (uint64_t{1} << 32) + 3 * ShredBlockSize + 11;
    ASSERT_TRUE(MakeSparseFile(path_, size, Pattern(100), Pattern(64)));
    EXPECT_EQ(ShredFile(path_, false), ShredResult::Shredded);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow, size);
    EXPECT_EQ(BytesAt(path_, 0, 100), std::string(100, '\0'));
    EXPECT_EQ(BytesAt(path_, size - 64, 64), std::string(64, '\0'));
}

TEST_F(ShredFileTest, FullVolumeKeepsTheFile)
{
    wchar_t drive[8] = L"";
    if (!GetEnvironmentVariableW(L"QUENZEL_SMALL_DRIVE", drive, 8))
        GTEST_SKIP() << "the test run has no small volume to fill";
    path_ = std::wstring(drive) + L"\\shred-" + std::to_wstring(GetCurrentProcessId()) + L".bin";
    // Larger than the whole volume: its zeros cannot all be written.
    ASSERT_TRUE(MakeSparseFile(path_, 4 * ShredBlockSize, Pattern(10), Pattern(10)));
    EXPECT_EQ(ShredFile(path_, true), ShredResult::WriteFailed);
    EXPECT_TRUE(FileExists(path_)) << "a file not fully overwritten is never deleted";
}

} // namespace
} // namespace quenzel
