// The folder walk: breadth-first order, batches, links never followed.
#include "base/folder_walk.h"
#include "tests/support/ui_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quenzel {
namespace {

// Wine's own export: the host path of a Windows path.
using UnixNameFunction = char*(CDECL*)(const wchar_t*);

std::string UnixName(const std::wstring& path)
{
    auto toUnix = reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!toUnix)
        return std::string();
    char* name = toUnix(path.c_str());
    std::string out = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return out;
}

// Runs a host shell command (Wine starts host executables) and waits until
// it has run: the host program may still run when its Windows process has
// ended, so the command leaves a mark when it is done.
bool RunHostShell(const std::string& command)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring mark = std::wstring(temp) + L"quenzel-walk-done-" + std::to_wstring(GetCurrentProcessId());
    DeleteFileW(mark.c_str());
    std::wstring line = uitest::Widen("Z:\\bin\\sh -c \"" + command + "; touch '" + UnixName(mark) + "'\"");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const bool done = uitest::WaitUntil([&] { return GetFileAttributesW(mark.c_str()) != INVALID_FILE_ATTRIBUTES; });
    DeleteFileW(mark.c_str());
    return done;
}

std::string Quoted(const std::wstring& path)
{
    return "'" + UnixName(path) + "'";
}

class WalkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"quenzel-walk-" + std::to_wstring(GetCurrentProcessId());
        ASSERT_TRUE(RemoveRoot());
        ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr));
    }
    void TearDown() override { EXPECT_TRUE(RemoveRoot()); }

    // The host removes the tree: it never follows the links a test made.
    bool RemoveRoot()
    {
        return RunHostShell("rm -rf " + Quoted(root_)) && GetFileAttributesW(root_.c_str()) == INVALID_FILE_ATTRIBUTES;
    }

    void MakeFolder(const std::wstring& relative)
    {
        ASSERT_TRUE(CreateDirectoryW((root_ + relative).c_str(), nullptr));
    }
    void MakeFile(const std::wstring& relative) { ASSERT_TRUE(uitest::WriteFileBytes(root_ + relative, "x")); }

    std::vector<std::wstring> Walk(size_t batchSize = DefaultWalkBatch)
    {
        std::vector<std::wstring> files;
        batches_.clear();
        const uint64_t count = WalkFolder(
            root_,
            [&](FileBatch& batch) {
                batches_.push_back(batch.size());
                files.insert(files.end(), batch.begin(), batch.end());
            },
            batchSize);
        EXPECT_EQ(count, files.size());
        return files;
    }

    size_t IndexOf(const std::vector<std::wstring>& files, const std::wstring& relative)
    {
        return static_cast<size_t>(std::find(files.begin(), files.end(), root_ + relative) - files.begin());
    }

    std::wstring root_;
    std::vector<size_t> batches_;
};

TEST_F(WalkTest, RootFilesFirstThenLevelByLevel)
{
    MakeFolder(L"\\B");
    MakeFolder(L"\\B\\C");
    MakeFolder(L"\\D");
    MakeFile(L"\\B\\C\\deep.txt");
    MakeFile(L"\\B\\b.txt");
    MakeFile(L"\\D\\d.txt");
    MakeFile(L"\\x.txt");
    const auto files = Walk();
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(IndexOf(files, L"\\x.txt"), 0u);
    EXPECT_LT(IndexOf(files, L"\\B\\b.txt"), 3u);
    EXPECT_LT(IndexOf(files, L"\\D\\d.txt"), 3u);
    EXPECT_EQ(IndexOf(files, L"\\B\\C\\deep.txt"), 3u);
}

TEST_F(WalkTest, EmptyTreesAndBatches)
{
    EXPECT_TRUE(Walk().empty());
    EXPECT_TRUE(batches_.empty());
    MakeFolder(L"\\only");
    MakeFolder(L"\\only\\folders");
    EXPECT_TRUE(Walk().empty());
    for (int i = 0; i < 7; ++i)
        MakeFile(L"\\only\\folders\\f" + std::to_wstring(i));
    EXPECT_EQ(Walk(3).size(), 7u);
    EXPECT_EQ(batches_, (std::vector<size_t>{3, 3, 1}));
}

// A folder is read many entries at a time: one whose entries fill the
// buffer several times over is listed whole, its sub-folder entered too.
TEST_F(WalkTest, AFolderOfMoreEntriesThanOneReadIsListedWhole)
{
    constexpr int Files = 1500;
    const std::string longName(100, 'n');
    ASSERT_TRUE(RunHostShell("cd " + Quoted(root_) + " && mkdir zz-sub && : > zz-sub/inner.txt && for i in $(seq 1 "
                             + std::to_string(Files) + "); do : > " + longName + "$i.txt; done"));
    auto files = Walk();
    std::sort(files.begin(), files.end());
    std::vector<std::wstring> expected{root_ + L"\\zz-sub\\inner.txt"};
    for (int i = 1; i <= Files; ++i)
        expected.push_back(root_ + L"\\" + std::wstring(longName.begin(), longName.end()) + std::to_wstring(i) + L".txt");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files, expected);
}

TEST_F(WalkTest, SizesComeWithTheirFiles)
{
    MakeFolder(L"\\sub");
    ASSERT_TRUE(uitest::WriteFileBytes(root_ + L"\\big.bin", std::string(70000, 'x')));
    ASSERT_TRUE(uitest::WriteFileBytes(root_ + L"\\sub\\empty.bin", ""));
    std::vector<std::pair<std::wstring, uint64_t>> listed;
    WalkFolderWithSizes(root_, [&](FileBatch& files, FileSizes& sizes) {
        ASSERT_EQ(files.size(), sizes.size());
        for (size_t i = 0; i < files.size(); ++i)
            listed.emplace_back(files[i], sizes[i]);
    });
    EXPECT_EQ(listed,
              (std::vector<std::pair<std::wstring, uint64_t>>{{root_ + L"\\big.bin", 70000},
                                                              {root_ + L"\\sub\\empty.bin", 0}}));
}

TEST_F(WalkTest, DriveRootStyleRootJoinsWithOneBackslash)
{
    EXPECT_EQ(JoinPath(L"C:\\", L"x.txt"), L"C:\\x.txt");
    EXPECT_EQ(JoinPath(L"D:\\Docs", L"x.txt"), L"D:\\Docs\\x.txt");
    MakeFile(L"\\x.txt");
    root_ += L"\\";
    const auto files = Walk();
    root_.pop_back();
    EXPECT_EQ(files, std::vector<std::wstring>{root_ + L"\\x.txt"});
}

TEST_F(WalkTest, LinkedFoldersAreNeitherListedNorEntered)
{
    MakeFolder(L"\\tree");
    MakeFolder(L"\\other");
    MakeFile(L"\\tree\\a.txt");
    MakeFile(L"\\other\\b.txt");
    ASSERT_TRUE(RunHostShell("ln -s " + Quoted(root_) + " " + Quoted(root_ + L"\\tree\\loop") + " && ln -s "
                             + Quoted(root_ + L"\\other") + " " + Quoted(root_ + L"\\tree\\sibling") + " && ln -s "
                             + Quoted(root_ + L"\\other\\b.txt") + " " + Quoted(root_ + L"\\tree\\file-link.txt")));
    ASSERT_NE(GetFileAttributesW((root_ + L"\\tree\\sibling").c_str()), INVALID_FILE_ATTRIBUTES);
    auto files = Walk();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files,
              (std::vector<std::wstring>{root_ + L"\\other\\b.txt", root_ + L"\\tree\\a.txt",
                                         root_ + L"\\tree\\file-link.txt"}));
}

TEST_F(WalkTest, PathsLongerThanTheClassicLimit)
{
    std::wstring deep;
    while ((root_ + deep).size() < 400) {
        deep += L"\\a-long-folder-name-to-pass-the-classic-limit";
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + root_ + deep).c_str(), nullptr));
    }
    MakeFile(deep + L"\\deep.txt");
    EXPECT_EQ(Walk(), std::vector<std::wstring>{root_ + deep + L"\\deep.txt"});
}

} // namespace
} // namespace quenzel
