// The language file and the settings file, through the program's own
// routines, on files this test writes.
#include "base/fonts.h"
#include "base/language.h"
#include "base/process.h"
#include "base/settings.h"
#include "tests/support/ui_driver.h"

#include <gtest/gtest.h>

#include <thread>

namespace quenzel {
namespace {

using uitest::ReadFileBytes;
using uitest::Utf16File;
using uitest::Widen;
using uitest::WriteFileBytes;

class ProfileFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"quenzel-profile-" + std::to_wstring(GetCurrentProcessId()) + L"-"
            + Widen(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((dir_ + L"\\lang").c_str(), nullptr));
        ResolvePaths(dir_);
    }
    void TearDown() override { uitest::RemoveTree(dir_); }

    void WriteLanguage(const std::wstring& content) { ASSERT_TRUE(WriteFileBytes(LanguagePath, Utf16File(content))); }

    std::wstring dir_;
};

TEST_F(ProfileFiles, LanguageTextsTurnTildesIntoLineFeedsAndAreCut)
{
    const std::wstring longText(1500, L'x');
    WriteLanguage(L"[INTERFACE]\r\n1=A~B\r\n2=" + longText
                  + L"\r\n3=Müller€ Ζωή 文件\r\n"
                    L"[LANGUAGE]\r\n4=quenzel.chm\r\n");
    EXPECT_STREQ(LangText(1), L"A\nB");
    EXPECT_EQ(std::wstring(LangText(2)), longText.substr(0, 1023));
    EXPECT_STREQ(LangText(3), L"Müller€ Ζωή 文件");
    EXPECT_STREQ(LangText(77), L"");
    ResolvePaths(dir_);
    EXPECT_EQ(HelpFilePath, dir_ + L"\\help\\quenzel.chm");
}

TEST_F(ProfileFiles, MissingLanguageFileGivesEmptyTextsAndHelpFolder)
{
    EXPECT_STREQ(LangText(1), L"");
    EXPECT_EQ(HelpFilePath, dir_ + L"\\help\\");
}

TEST_F(ProfileFiles, EachThreadHasItsOwnTextBuffer)
{
    WriteLanguage(L"[INTERFACE]\r\n1=first\r\n2=second\r\n");
    const wchar_t* mine = LangText(1);
    std::wstring other;
    std::thread([&] { other = LangText(2); }).join();
    EXPECT_STREQ(mine, L"first");
    EXPECT_EQ(other, L"second");
}

TEST_F(ProfileFiles, FormattedTextsAreCutCleanly)
{
    WriteLanguage(L"[INTERFACE]\r\n65=Transparency: %i%% of a rather long title that goes on and on\r\n"
                  L"79=%s - %s\r\n");
    const std::wstring title = FormatLangText(65, 49, 95);
    EXPECT_EQ(title.size(), 49u);
    EXPECT_EQ(title.substr(0, 18), L"Transparency: 95% ");
    EXPECT_EQ(FormatLangText(79, 100, L"12 bytes", L"Ζωή.txt"), L"12 bytes - Ζωή.txt");
}

TEST_F(ProfileFiles, NewSettingsFileIsUnicodeAndKeepsAnyFolderName)
{
    const std::wstring folder = L"C:\\Users\\Ζωή\\文件";
    ASSERT_TRUE(WriteSetting(L"MAIN", L"EncPath", folder.c_str()));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(SettingsPath, bytes));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ReadTextSetting(L"MAIN", L"EncPath"), folder);
    // A second write keeps the file Unicode and the first value intact.
    ASSERT_TRUE(WriteIntSetting(L"MAIN", L"8", 1));
    EXPECT_EQ(ReadTextSetting(L"MAIN", L"EncPath"), folder);
    EXPECT_EQ(ReadIntSetting(L"MAIN", L"8", 0), 1);
}

TEST_F(ProfileFiles, ExistingAnsiSettingsFileIsStillRead)
{
    ASSERT_TRUE(
        WriteFileBytes(SettingsPath, "[OPTIONS]\r\nOnTop=1\r\nTransparent=abc\r\n[MAIN]\r\nEncPath=D:\\Daten\r\n"));
    // Section and key names match without regard to case.
    EXPECT_EQ(ReadIntSetting(L"OPTIONS", L"Ontop", 0), 1);
    EXPECT_EQ(ReadIntSetting(L"OPTIONS", L"Transparent", 95), 0);
    EXPECT_EQ(ReadIntSetting(L"OPTIONS", L"Magnet", 0), 0);
    EXPECT_EQ(ReadTextSetting(L"main", L"encpath"), L"D:\\Daten");
    ASSERT_TRUE(WriteSetting(L"MAIN", L"DecPath", L"E:\\Out"));
    EXPECT_EQ(ReadTextSetting(L"MAIN", L"DecPath"), L"E:\\Out");
    EXPECT_EQ(ReadTextSetting(L"MAIN", L"EncPath"), L"D:\\Daten");
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(SettingsPath, bytes));
    EXPECT_EQ(bytes.substr(0, 6), "[OPTIO") << "a value the code page holds leaves the file ANSI";
}

// The first value the ANSI code page (Windows-1252 here) would store as a
// stand-in ("\u03b1\u03b2" as "a\u00df") turns the file into UTF-16 first,
// keeping the original as its ".bak"; what it held reads as before.
TEST_F(ProfileFiles, AnsiSettingsFileTurnsUnicodeBeforeAValueItCannotHold)
{
    const std::string ansi = "[MAIN]\r\nEncPath=D:\\M\xFCller \x80\r\n";
    ASSERT_TRUE(WriteFileBytes(SettingsPath, ansi));
    for (const std::wstring value : {L"C:\\\u03b1\u03b2", L"C:\\\u0416\u0443\u043a", L"C:\\\u6587\u4ef6"}) {
        ASSERT_TRUE(WriteSetting(L"MAIN", L"DecPath", value.c_str()));
        EXPECT_EQ(ReadTextSetting(L"MAIN", L"DecPath"), value);
        EXPECT_EQ(ReadTextSetting(L"MAIN", L"EncPath"), L"D:\\M\u00fcller \u20ac");
    }
    std::string bytes, backup;
    ASSERT_TRUE(ReadFileBytes(SettingsPath, bytes));
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    ASSERT_TRUE(ReadFileBytes(SettingsPath + L".bak", backup));
    EXPECT_EQ(backup, ansi);
    EXPECT_FALSE(ReadFileBytes(SettingsPath + L".1.bak", backup)) << "converted once only";
}

// The stored font smoothing chooses the quality of both page fonts.
TEST_F(ProfileFiles, FontSmoothingSettingChoosesTheFontsQuality)
{
    struct Row {
        const wchar_t* stored;
        BYTE quality;
    };
    for (const Row row : {Row{nullptr, DEFAULT_QUALITY}, Row{L"0", DEFAULT_QUALITY}, Row{L"1", CLEARTYPE_QUALITY},
                          Row{L"2", CLEARTYPE_QUALITY}}) {
        if (row.stored) {
            ASSERT_TRUE(WriteSetting(L"OPTIONS", L"ClearFont", row.stored));
        }
        CreateUiFonts();
        for (HFONT font : {NormalFont, BoldFont}) {
            LOGFONTW logFont{};
            ASSERT_EQ(GetObjectW(font, sizeof logFont, &logFont), static_cast<int>(sizeof logFont));
            EXPECT_EQ(logFont.lfQuality, row.quality) << (row.stored ? uitest::Narrow(row.stored) : "none");
            DeleteObject(font);
        }
    }
}

TEST_F(ProfileFiles, TogglesReadTheFileFirst)
{
    ASSERT_TRUE(WriteSetting(L"OPTIONS", L"Magnet", L"2"));
    EXPECT_EQ(ToggleFlagSetting(L"OPTIONS", L"Magnet"), 0);
    EXPECT_EQ(ReadTextSetting(L"OPTIONS", L"Magnet"), L"0");
    EXPECT_EQ(ToggleFlagSetting(L"OPTIONS", L"Magnet"), 1);
    // Another program changes the file between two reads: the next read sees it.
    ASSERT_TRUE(WritePrivateProfileStringW(L"OPTIONS", L"Magnet", L"0", SettingsPath.c_str()));
    EXPECT_EQ(ToggleFlagSetting(L"OPTIONS", L"Magnet"), 1);
}

TEST_F(ProfileFiles, IntegerSettingsAreWrittenAsDecimalText)
{
    ASSERT_TRUE(WriteIntSetting(L"OPTIONS", L"Transparent", -2147483647 - 1));
    EXPECT_EQ(ReadTextSetting(L"OPTIONS", L"Transparent"), L"-2147483648");
    EXPECT_EQ(ReadIntSetting(L"OPTIONS", L"Missing", 95), 95);
}

TEST(ProgramPaths, ProgramFolderDeeperThan260CharactersResolvesAllFourPaths)
{
    std::wstring deep = L"C:\\Programs";
    while (deep.size() < 32000)
        deep += L"\\a-folder-name-of-forty-characters-xxxxx";
    ResolvePaths(deep);
    EXPECT_EQ(ProgramDir, deep);
    EXPECT_EQ(SettingsPath, deep + L"\\Quenzel.ini");
    EXPECT_EQ(LanguagePath, deep + L"\\lang\\default.lng");
    // No language file can be read there: the help path names the help folder.
    EXPECT_EQ(HelpFilePath, deep + L"\\help\\");
}

TEST(ProgramPaths, ExecutableFolderIsTheRunningProgramsFolder)
{
    wchar_t module[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH);
    ASSERT_GT(n, 0u);
    std::wstring expected(module, n);
    expected.resize(expected.find_last_of(L'\\'));
    EXPECT_EQ(ExecutableFolder(), expected);
}

TEST_F(ProfileFiles, WriteIntoAMissingFolderFails)
{
    ResolvePaths(dir_ + L"\\no-such-folder");
    EXPECT_FALSE(WriteSetting(L"OPTIONS", L"OnTop", L"1"));
}

} // namespace
} // namespace quenzel
