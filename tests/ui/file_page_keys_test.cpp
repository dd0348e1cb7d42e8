// The key controls on the file page: a key file's bytes as the key, a key
// file that is gone or very large, and the key mode and level as stored and
// shown.
#include "tests/ui/file_page_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <psapi.h>

namespace {

using namespace filepage;

// A key file in the public folder, named for this run.
std::wstring PublicKeyFile(const wchar_t* name)
{
    return L"C:\\users\\Public\\" + std::wstring(name) + std::to_wstring(GetCurrentProcessId());
}

// Encrypts `bytes` as the file `name` in the test's folder; the output's path comes back.
std::wstring EncryptFile(Started& s, const wchar_t* name, const std::string& bytes)
{
    const std::wstring plain = s.Work() + L"\\" + name;
    EXPECT_TRUE(WriteFileBytes(plain, bytes));
    SetFieldText(s.app.Control(SourceField), plain);
    RunFileJob(s, EncryptButton);
    return plain + L".enc";
}

TEST(FilePage, KeyFileAndAKeyFileThatIsGone)
{
    Started s;
    const std::wstring key = PublicKeyFile(L"quenzel-test-key-");
    // The source and its encrypted form are both letters, which the preview
    // and the result show safely on every Wine (see RandomText): each key
    // byte keeps a letter (the level, 7) or swaps its case (7 ^ 0x20).
    std::string keyBytes = RandomBytes(37, 4);
    for (char& c : keyBytes)
        c = static_cast<char>(7 ^ (c & 0x20));
    ASSERT_TRUE(WriteFileBytes(key, keyBytes));
    ASSERT_NO_FATAL_FAILURE(Start(s, KeyFileIni(key, "[MAIN]\n1=1\n").c_str(), FilePageCommand));
    const std::string bytes = RandomLetters(4096, 5);
    const std::wstring output = EncryptFile(s, L"c.bin", bytes);
    EXPECT_TRUE(ReadAll(output) == Transformed(bytes, keyBytes, 7));

    // Without its key nothing is written: the earlier output stays as it was.
    ASSERT_TRUE(DeleteFileW(key.c_str()));
    ConfirmJob(s, EncryptButton);
    EXPECT_EQ(DismissMessageBox(s.app).rfind(L"The key file cannot be opened.", 0), 0u);
    EXPECT_TRUE(JobEnded(s));
    EXPECT_TRUE(ReadAll(output) == Transformed(bytes, keyBytes, 7));
    EXPECT_TRUE(NoResultWithin(s, Millis(500))) << "no result for a failed job";
    EXPECT_TRUE(s.app.Close());
}

// A key file of 700 MiB (sparse, its first bytes set) is neither held nor
// copied: the program's memory stays small and the data is encrypted with
// the key's first bytes.
TEST(FilePage, AKeyFileOf700MiBKeepsMemoryBounded)
{
    Started s;
    const std::wstring key = PublicKeyFile(L"quenzel-big-key-");
    const std::string head = RandomBytes(8192, 21);
    ASSERT_TRUE(WriteFileBytes(key, head));
    ASSERT_TRUE(ExtendFile(key, 700LL << 20));
    ASSERT_NO_FATAL_FAILURE(Start(s, KeyFileIni(key, "[MAIN]\n1=1\n").c_str(), FilePageCommand));
    const std::string bytes = Transformed(RandomText(6000, 22), head, 7);
    EXPECT_TRUE(ReadAll(EncryptFile(s, L"d.bin", bytes)) == Transformed(bytes, head, 7));
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    ASSERT_TRUE(K32GetProcessMemoryInfo(s.app.Process(), &memory, sizeof memory));
    EXPECT_GT(memory.PeakWorkingSetSize, 0u);
    EXPECT_LT(memory.PeakWorkingSetSize, size_t(200) << 20) << "the key file was held in memory";
    EXPECT_TRUE(s.app.Close());
    EXPECT_TRUE(DeleteFileW(key.c_str()));
}

// The fields of the key mode shown are enabled, the other mode's not.
testing::AssertionResult FieldsFollowKeyMode(Started& s, bool keyFile)
{
    const struct {
        int id;
        bool enabled;
    } fields[] = {{PasswordField, !keyFile}, {KeyFileField, keyFile}, {KeyFileButton, keyFile}};
    for (const auto& field : fields)
        if ((IsWindowEnabled(s.app.Control(field.id)) != FALSE) != field.enabled)
            return testing::AssertionFailure() << "control " << field.id << (field.enabled ? " disabled" : " enabled");
    return testing::AssertionSuccess();
}

// The key mode's radio buttons and fields show the mode.
testing::AssertionResult KeyModeShown(Started& s, bool keyFile)
{
    if (BoxChecked(s, KeyFileRadio) != keyFile || BoxChecked(s, PasswordRadio) == keyFile)
        return testing::AssertionFailure()
            << "the radio buttons do not show the " << (keyFile ? "key file" : "password");
    return FieldsFollowKeyMode(s, keyFile);
}

int StoredKeyMode(Started& s)
{
    return static_cast<int>(GetPrivateProfileIntW(L"PASSWORD", L"Path", -1, s.folder.IniPath().c_str()));
}

// The key controls answer on the page that shows them: the key mode is
// stored at once and enables only its own fields (the handler changes them
// one after another: the wait is for all); the level readout follows the
// slider.
TEST(FilePage, KeyModeIsStoredAndTheLevelReadoutFollowsTheSlider)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "", FilePageCommand));
    for (const bool keyFile : {true, false}) {
        SCOPED_TRACE(keyFile ? "key file" : "password");
        PostCommand(s.window, keyFile ? KeyFileRadio : PasswordRadio);
        ASSERT_TRUE(WaitUntil([&] { return StoredKeyMode(s) == (keyFile ? 1 : 0); }));
        WaitUntil([&] { return bool(FieldsFollowKeyMode(s, keyFile)); });
        EXPECT_TRUE(FieldsFollowKeyMode(s, keyFile));
    }

    HWND slider = s.app.Control(LevelSlider);
    SendMessageW(slider, TBM_SETPOS, TRUE, 200);
    SendMessageW(s.window, WM_HSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(slider));
    EXPECT_TRUE(WaitUntil([&] { return FieldText(s.app.Control(LevelReadout)) == L"200"; }))
        << Narrow(FieldText(s.app.Control(LevelReadout)));
    EXPECT_TRUE(s.app.Close());
}

// The key mode is stored at each click and comes back at the next start;
// the key file chosen with its button is stored too; the level is not.
TEST(KeyControls, ModeKeyFileAndLevelAcrossARestart)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "", FilePageCommand));
    const std::wstring key = s.Work() + L"\\key file.bin";
    ASSERT_TRUE(WriteFileBytes(key, "key"));
    EXPECT_TRUE(KeyModeShown(s, false));
    PostClick(s.app.Control(KeyFileRadio));
    ASSERT_TRUE(WaitUntil([&] { return StoredKeyMode(s) == 1; }));
    EXPECT_TRUE(KeyModeShown(s, true));
    PostMouseClick(s.app.Control(KeyFileButton));
    ChooseInFileDialog(s.app, key);
    ASSERT_TRUE(WaitUntil([&] { return FieldText(s.app.Control(KeyFileField)) == key; }));
    // The End key moves the level to its top; the readout follows when the move ends.
    PostMessageW(s.app.Control(LevelSlider), WM_KEYDOWN, VK_END, 0);
    PostMessageW(s.app.Control(LevelSlider), WM_KEYUP, VK_END, 0);
    EXPECT_TRUE(WaitUntil([&] { return FieldText(s.app.Control(LevelReadout)) == L"255"; }));

    ASSERT_TRUE(s.app.Close());
    ASSERT_TRUE(s.app.Start(s.folder, L"1"));
    s.window = s.app.WaitForMainWindow();
    ASSERT_NE(s.window, nullptr);
    EXPECT_TRUE(KeyModeShown(s, true));
    EXPECT_EQ(FieldText(s.app.Control(KeyFileField)), key);
    EXPECT_EQ(SendMessageW(s.app.Control(LevelSlider), TBM_GETPOS, 0, 0), 7);
    EXPECT_EQ(FieldText(s.app.Control(LevelReadout)), L"7");
    PostClick(s.app.Control(PasswordRadio));
    ASSERT_TRUE(WaitUntil([&] { return StoredKeyMode(s) == 0; }));
    EXPECT_TRUE(KeyModeShown(s, false));
    EXPECT_TRUE(s.app.Close());
}

} // namespace
