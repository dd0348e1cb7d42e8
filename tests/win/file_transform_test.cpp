// The file transform against the per-byte definition of the format, and
// what it leaves behind when something fails.
#include "base/handles.h"
#include "crypt/file_transform.h"
#include "crypt/read_ahead.h"
#include "tests/support/reference_cipher.h"
#include "tests/support/ui_driver.h"

#include <gtest/gtest.h>
#include <sddl.h>

namespace quenzel {
namespace {

using cipherref::RandomBytes;
using cipherref::RecordedProgress;
using cipherref::Reference;
using cipherref::ReferencePositions;
using uitest::FileExists;
using uitest::Narrow;
using uitest::ReadFileBytes;
using uitest::WriteFileBytes;

struct FixedKey : JobKey {
    std::vector<uint8_t> key;
    FixedKey(std::string text, uint8_t lvl)
        : key(text.begin(), text.end())
    {
        bytes = SecretBytes(key.data(), key.size());
        level = lvl;
    }
};

// A scratch folder of its own for each test, removed afterwards.
class TransformTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"quenzel-transform-" + std::to_wstring(GetCurrentProcessId());
        uitest::RemoveTree(dir_);
        ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
    }
    void TearDown() override { uitest::RemoveTree(dir_); }
    std::wstring Path(const wchar_t* name) const { return dir_ + L"\\" + name; }

    // Names in the scratch folder, to see that no temporary file is left.
    std::vector<std::wstring> Names(const std::wstring& folder) const
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (std::wstring(found.cFileName) != L"." && std::wstring(found.cFileName) != L"..")
                names.push_back(found.cFileName);
        } while (FindNextFileW(find, &found));
        FindClose(find);
        std::sort(names.begin(), names.end());
        return names;
    }

    TransformOutcome Run(const std::wstring& source, const std::wstring& destination, const JobKey& key,
                         CipherProgress* progress = nullptr, bool replaceReadOnly = false)
    {
        TransformRequest request;
        request.source = source;
        request.destination = destination;
        request.key = &key;
        request.progress = progress;
        request.replaceReadOnly = replaceReadOnly;
        request.sourceSized = [this](uint64_t size) { sized_ = size; };
        return TransformFile(request);
    }

    std::wstring dir_;
    uint64_t sized_ = ~uint64_t(0);
};

TEST_F(TransformTest, OutputMatchesPerByteDefinitionAcrossChunks)
{
    FixedKey key("MORVANTE", 7);
    for (size_t size :
         {size_t(0), size_t(1), size_t(99), size_t(250), TransformChunkBytes - 1, 2 * TransformChunkBytes + 3}) {
        const std::string plain = RandomBytes<std::string>(size, static_cast<unsigned>(size));
        ASSERT_TRUE(WriteFileBytes(Path(L"plain.bin"), plain));
        RecordedProgress progress;
        const TransformOutcome outcome = Run(Path(L"plain.bin"), Path(L"plain.bin.enc"), key, &progress);
        ASSERT_EQ(outcome.status, TransformStatus::Ok) << size;
        EXPECT_EQ(sized_, size);
        std::string out;
        ASSERT_TRUE(ReadFileBytes(Path(L"plain.bin.enc"), out));
        EXPECT_TRUE(out == Reference(plain, key.key, 7)) << size;
        EXPECT_EQ(progress.positions, ReferencePositions(size)) << size;
        EXPECT_EQ(progress.steps, size < 100 ? size : 0u);
    }
    EXPECT_EQ(Names(dir_), (std::vector<std::wstring>{L"plain.bin", L"plain.bin.enc"}));
}

TEST_F(TransformTest, InPlaceReplacesTheSourceWhateverItsSpelling)
{
    FixedKey key("K", 0);
    const std::string plain = RandomBytes<std::string>(3 * TransformChunkBytes / 2, 5);
    ASSERT_TRUE(WriteFileBytes(Path(L"a.txt"), plain));
    const TransformOutcome outcome = Run(Path(L"a.txt"), dir_ + L"\\.\\A.TXT", key);
    ASSERT_EQ(outcome.status, TransformStatus::Ok);
    std::string out;
    ASSERT_TRUE(ReadFileBytes(Path(L"a.txt"), out));
    EXPECT_TRUE(out == Reference(plain, key.key, 0));
    EXPECT_EQ(Names(dir_), std::vector<std::wstring>{L"a.txt"}) << "no temporary file is left";
    EXPECT_TRUE(IsSameFile(Path(L"a.txt"), dir_ + L"\\.\\A.TXT"));
    EXPECT_FALSE(IsSameFile(Path(L"a.txt"), Path(L"missing.txt")));
    ASSERT_TRUE(WriteFileBytes(Path(L"b.txt"), plain));
    EXPECT_FALSE(IsSameFile(Path(L"a.txt"), Path(L"b.txt")));
}

TEST_F(TransformTest, NothingIsWrittenWithoutAKey)
{
    FixedKey noKey("", 7);
    ASSERT_TRUE(WriteFileBytes(Path(L"a.txt"), "plain"));
    ASSERT_TRUE(WriteFileBytes(Path(L"old.enc"), "previous output"));
    EXPECT_EQ(Run(Path(L"a.txt"), Path(L"new.enc"), noKey).status, TransformStatus::KeyUnavailable);
    EXPECT_EQ(Run(Path(L"a.txt"), Path(L"old.enc"), noKey).status, TransformStatus::KeyUnavailable);
    EXPECT_EQ(Run(Path(L"a.txt"), Path(L"a.txt"), noKey).status, TransformStatus::KeyUnavailable);
    std::string out;
    ASSERT_TRUE(ReadFileBytes(Path(L"old.enc"), out));
    EXPECT_EQ(out, "previous output");
    ASSERT_TRUE(ReadFileBytes(Path(L"a.txt"), out));
    EXPECT_EQ(out, "plain");
    EXPECT_EQ(Names(dir_), (std::vector<std::wstring>{L"a.txt", L"old.enc"}));
}

TEST_F(TransformTest, FailuresLeaveSourceAndDestinationIntact)
{
    FixedKey key("MORVANTE", 7);
    ASSERT_TRUE(WriteFileBytes(Path(L"a.txt"), "plain"));

    EXPECT_EQ(Run(Path(L"missing.txt"), Path(L"x.enc"), key).status, TransformStatus::SourceOpenFailed);

    {
        // A source another program holds open for writing cannot be opened.
        HANDLE held =
            CreateFileW(Path(L"a.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_EQ(Run(Path(L"a.txt"), Path(L"x.enc"), key).status, TransformStatus::SourceOpenFailed);
        CloseHandle(held);
    }

    ASSERT_TRUE(WriteFileBytes(Path(L"locked.enc"), "keep me"));
    ASSERT_TRUE(SetFileAttributesW(Path(L"locked.enc").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Run(Path(L"a.txt"), Path(L"locked.enc"), key).status, TransformStatus::DestinationReadOnly);
    std::string out;
    ASSERT_TRUE(ReadFileBytes(Path(L"locked.enc"), out));
    EXPECT_EQ(out, "keep me");
    ASSERT_TRUE(SetFileAttributesW(Path(L"locked.enc").c_str(), FILE_ATTRIBUTE_NORMAL));

    ASSERT_TRUE(CreateDirectoryW(Path(L"folder").c_str(), nullptr));
    EXPECT_EQ(Run(Path(L"a.txt"), Path(L"folder"), key).status, TransformStatus::OutputCreateFailed);
    EXPECT_EQ(Run(Path(L"a.txt"), Path(L"no-such-folder\\x.enc"), key).status, TransformStatus::OutputCreateFailed);

    ASSERT_TRUE(ReadFileBytes(Path(L"a.txt"), out));
    EXPECT_EQ(out, "plain");
    EXPECT_EQ(Names(dir_), (std::vector<std::wstring>{L"a.txt", L"folder", L"locked.enc"}));
    EXPECT_TRUE(Names(Path(L"folder")).empty());
}

// A read-only destination, the source itself included, is replaced only
// when the caller allows it, and then stays read-only.
TEST_F(TransformTest, ReadOnlyDestinationsAreReplacedOnlyWhenAllowed)
{
    FixedKey key("MORVANTE", 7);
    const struct {
        const wchar_t* source;
        const wchar_t* destination;
        bool allowed;
    } rows[] = {
        {L"in-place.txt", L"in-place.txt", false},
        {L"in-place.txt", L"in-place.txt", true},
        {L"other.txt", L"other.enc", false},
        {L"other.txt", L"other.enc", true},
    };
    for (const auto& row : rows) {
        const std::string plain = "plain of " + Narrow(row.source);
        const std::string old = row.source == std::wstring(row.destination) ? plain : "older output";
        ASSERT_TRUE(WriteFileBytes(Path(row.source), plain));
        SetFileAttributesW(Path(row.destination).c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(WriteFileBytes(Path(row.destination), old));
        ASSERT_TRUE(SetFileAttributesW(Path(row.destination).c_str(), FILE_ATTRIBUTE_READONLY));
        const TransformOutcome outcome = Run(Path(row.source), Path(row.destination), key, nullptr, row.allowed);
        EXPECT_EQ(outcome.status, row.allowed ? TransformStatus::Ok : TransformStatus::DestinationReadOnly)
            << Narrow(row.destination) << row.allowed;
        EXPECT_FALSE(outcome.attributesLost);
        EXPECT_FALSE(outcome.permissionsLost);
        std::string out;
        ASSERT_TRUE(ReadFileBytes(Path(row.destination), out));
        EXPECT_TRUE(out == (row.allowed ? Reference(plain, key.key, 7) : old)) << Narrow(row.destination);
        EXPECT_EQ(GetFileAttributesW(Path(row.destination).c_str()) & FILE_ATTRIBUTE_READONLY,
                  DWORD(FILE_ATTRIBUTE_READONLY));
    }
    for (const wchar_t* name : {L"in-place.txt", L"other.enc"})
        SetFileAttributesW(Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Names(dir_), (std::vector<std::wstring>{L"in-place.txt", L"other.enc", L"other.txt"}));
}

// A file's access control list in the system's text form; empty when it cannot be read.
std::wstring DaclOf(const std::wstring& path)
{
    DWORD needed = 0;
    GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::vector<BYTE> security(needed ? needed : 1);
    wchar_t* text = nullptr;
    if (!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, security.data(), needed, &needed)
        || !ConvertSecurityDescriptorToStringSecurityDescriptorW(security.data(), SDDL_REVISION_1,
                                                                 DACL_SECURITY_INFORMATION, &text, nullptr))
        return {};
    const std::wstring result = text;
    LocalFree(text);
    return result;
}

bool SetDacl(const std::wstring& path, const wchar_t* sddl)
{
    PSECURITY_DESCRIPTOR security = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &security, nullptr))
        return false;
    const bool set = SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, security) != FALSE;
    LocalFree(security);
    return set;
}

// A replaced file hands on its access control list, and the output is
// whole once it has the destination's name.
TEST_F(TransformTest, AReplacedFileKeepsItsAccessControlList)
{
    const std::wstring granted = L"D:P(A;;FA;;;WD)(A;;FR;;;BU)";
    ASSERT_TRUE(WriteFileBytes(Path(L"a.txt"), "plain"));
    ASSERT_TRUE(WriteFileBytes(Path(L"old.enc"), "older output"));
    ASSERT_TRUE(SetDacl(Path(L"old.enc"), granted.c_str()));
    if (DaclOf(Path(L"old.enc")) != granted)
        GTEST_SKIP() << "this file system keeps no access control list: " << Narrow(DaclOf(Path(L"old.enc")));
    FixedKey key("MORVANTE", 7);
    const TransformOutcome outcome = Run(Path(L"a.txt"), Path(L"old.enc"), key);
    ASSERT_EQ(outcome.status, TransformStatus::Ok);
    EXPECT_FALSE(outcome.permissionsLost);
    EXPECT_EQ(DaclOf(Path(L"old.enc")), granted);
    std::string out;
    ASSERT_TRUE(ReadFileBytes(Path(L"old.enc"), out));
    EXPECT_TRUE(out == Reference(std::string("plain"), key.key, 7));
    EXPECT_EQ(Names(dir_), (std::vector<std::wstring>{L"a.txt", L"old.enc"}));
}

// Writes part of the output, then fails as a full volume would; notes
// whether another program could open the destination meanwhile.
struct HalfWritten : TransformSteps {
    std::wstring destination;
    bool othersLockedOut = false;
    TransformStatus Prepare(HANDLE, uint64_t) override { return TransformStatus::Ok; }
    TransformStatus Fill(HANDLE, HANDLE output, uint64_t, DWORD& error) override
    {
        DWORD written = 0;
        WriteFile(output, "half", 4, &written, nullptr);
        HANDLE other =
            CreateFileW(destination.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, 0, nullptr);
        othersLockedOut = other == INVALID_HANDLE_VALUE;
        if (other != INVALID_HANDLE_VALUE)
            CloseHandle(other);
        error = ERROR_DISK_FULL;
        return TransformStatus::WriteFailed;
    }
};

TEST_F(TransformTest, AFailedOutputLeavesNothingBehind)
{
    ASSERT_TRUE(WriteFileBytes(Path(L"a.txt"), "plain"));
    ASSERT_TRUE(WriteFileBytes(Path(L"old.enc"), "previous output"));
    // A new destination is locked while written; an earlier one stays readable.
    for (const wchar_t* name : {L"new.enc", L"old.enc"}) {
        HalfWritten steps;
        steps.destination = Path(name);
        const TransformOutcome outcome = TransformThroughTemporary(Path(L"a.txt"), Path(name), steps);
        EXPECT_EQ(outcome.status, TransformStatus::WriteFailed) << name;
        EXPECT_EQ(outcome.systemError, static_cast<unsigned long>(ERROR_DISK_FULL)) << name;
        EXPECT_TRUE(outcome.strayTemporary.empty()) << name;
        EXPECT_EQ(steps.othersLockedOut, std::wstring(name) == L"new.enc") << name;
    }
    std::string out;
    ASSERT_TRUE(ReadFileBytes(Path(L"old.enc"), out));
    EXPECT_EQ(out, "previous output");
    EXPECT_EQ(Names(dir_), (std::vector<std::wstring>{L"a.txt", L"old.enc"}));
}

TEST_F(TransformTest, LongPathsOnBothSides)
{
    FixedKey key("WELK", 7);
    std::wstring deep = dir_;
    while (deep.size() < 300) {
        deep += L"\\a-rather-long-folder-name-for-the-test";
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    const std::string plain = RandomBytes<std::string>(1000, 3);
    ASSERT_TRUE(WriteFileBytes(deep + L"\\plain.txt", plain));
    ASSERT_EQ(Run(deep + L"\\plain.txt", deep + L"\\plain.txt.enc", key).status, TransformStatus::Ok);
    std::string out;
    ASSERT_TRUE(ReadFileBytes(deep + L"\\plain.txt.enc", out));
    EXPECT_TRUE(out == Reference(plain, key.key, 7));
    EXPECT_TRUE(FileExists(deep + L"\\plain.txt"));
}

} // namespace
} // namespace quenzel

namespace quenzel {
namespace {

bool WriteAt(HANDLE file, uint64_t offset, const std::string& bytes)
{
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD written = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN)
        && WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
        && written == bytes.size();
}

std::string ReadAt(const std::wstring& path, uint64_t offset, size_t length)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes(length, '\0');
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD got = 0;
    const bool ok = file != INVALID_HANDLE_VALUE && SetFilePointerEx(file, at, nullptr, FILE_BEGIN)
        && ReadFile(file, bytes.data(), static_cast<DWORD>(length), &got, nullptr) && got == length;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return ok ? bytes : std::string();
}

// Files of 4 GiB and more are transformed whole, in bounded memory, with
// the key position running on across the 32-bit boundary.
TEST_F(TransformTest, FileOfMoreThanFourGiB)
{
    constexpr uint64_t size = (uint64_t(1) << 32) + 37;
    const std::string head = "head of the file", tail = "tail";
    {
        HANDLE file = CreateFileW(Path(L"big.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        const bool ok = WriteAt(file, 0, head) && WriteAt(file, size - tail.size(), tail);
        CloseHandle(file);
        ASSERT_TRUE(ok);
    }
    FixedKey key("MORVANTE", 200);
    RecordedProgress progress;
    const TransformOutcome outcome = Run(Path(L"big.bin"), Path(L"big.bin.enc"), key, &progress);
    ASSERT_EQ(outcome.status, TransformStatus::Ok);
    EXPECT_EQ(outcome.size, size);
    EXPECT_EQ(progress.positions.size(), 100u);

    const auto expectAt = [&](uint64_t offset, const std::string& plain) {
        EXPECT_TRUE(ReadAt(Path(L"big.bin.enc"), offset, plain.size()) == Reference(plain, key.key, 200, offset))
            << offset;
    };
    expectAt(0, head);
    expectAt((uint64_t(1) << 32) - 5, std::string(10, '\0'));
    expectAt(size - tail.size(), tail);
}

// The work done on the reading thread: each piece arrives worked on and in
// order, and a piece whose work fails ends the reading as a failure of the
// work, not of the read.
TEST_F(TransformTest, ReadAheadWorksEachPieceAndStopsAtAFailedOne)
{
    constexpr DWORD PieceBytes = 1000;
    const std::string data = RandomBytes<std::string>(5 * PieceBytes, 3);
    ASSERT_TRUE(WriteFileBytes(Path(L"pieces.bin"), data));
    UniqueFile file(
        CreateFileW(Path(L"pieces.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    ReadAhead reader(file.Get(), data.size(), ReadAhead::Pieces * PieceBytes);
    int worked = 0;
    reader.SetPieceWork([&](uint8_t* piece, DWORD length) {
        for (DWORD i = 0; i < length; ++i)
            piece[i] ^= 0xFF;
        return ++worked < 3;
    });
    ASSERT_TRUE(reader.Start());
    for (size_t at = 0; at < 2 * PieceBytes; at += PieceBytes) {
        DWORD length = 0;
        DWORD error = 0;
        const uint8_t* piece = reader.Next(length, error);
        ASSERT_NE(piece, nullptr) << at;
        ASSERT_EQ(length, PieceBytes);
        std::string expected = data.substr(at, PieceBytes);
        for (char& byte : expected)
            byte = static_cast<char>(byte ^ 0xFF);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(piece), length), expected) << at;
        reader.Release();
    }
    DWORD length = 0;
    DWORD error = 0;
    EXPECT_EQ(reader.Next(length, error), nullptr);
    EXPECT_TRUE(reader.WorkFailed());
}

} // namespace
} // namespace quenzel
