// The built language files, read through the program's own lookup: every
// key of keys.tsv has a text, every format text takes exactly the arguments
// the program passes, and every translation matches the English file.
#include "base/format_check.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/process.h"
#include "tests/support/ui_driver.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <vector>

namespace quenzel {
namespace {

using uitest::HostToWindowsPath;
using uitest::Narrow;

// Arguments the program passes to format texts.
constexpr int SampleCount = 4711;
constexpr wchar_t SampleCountText[] = L"4711";
constexpr int SampleSecondCount = 815;
constexpr wchar_t SampleSecondCountText[] = L"815";
constexpr wchar_t SampleFirstName[] = L"Ζωή-Übersicht.txt";
constexpr wchar_t SampleSecondName[] = L"報告 2024";
constexpr unsigned FormatLimit = 32767;
constexpr unsigned MenuTextLimit = 63;
constexpr unsigned StatusColumnLimit = 99;      // the status column's buffer holds 100
constexpr unsigned TransparencyTitleLimit = 49; // the dialog title's buffer holds 50
constexpr int FirstMenuKey = keys::MenuFile;
constexpr int LastMenuKey = keys::MenuAbout;
constexpr int TransparencyTitleKey = keys::TransparencyTitle;
constexpr int FirstStatusColumnKey = keys::DriveNotMounted;
constexpr int LastStatusColumnKey = keys::DriveMounted;
constexpr int LargestPercent = 100;
constexpr DWORD KeyListUnits = 65536;

struct KeyInfo {
    std::string arguments; // "", "int", "str", "int,str", ...
    std::string use;
};

std::map<int, KeyInfo> ReadKeysTable()
{
    std::string bytes;
    std::map<int, KeyInfo> keys;
    if (!uitest::ReadFileBytes(HostToWindowsPath(QUENZEL_KEYS_TABLE), bytes))
        return keys;
    std::istringstream lines(bytes);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty())
            continue;
        const size_t tab1 = line.find('\t');
        const size_t tab2 = line.find('\t', tab1 + 1);
        if (tab1 == std::string::npos || tab2 == std::string::npos)
            continue;
        keys[std::stoi(line.substr(0, tab1))] = {line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)};
    }
    return keys;
}

// The conversions of a text in order, as "int"/"str" joined by commas;
// "bad" for any "%" that is not %i, %d or %s.
std::string Conversions(const std::wstring& text)
{
    std::string list;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%')
            continue;
        const wchar_t kind = i + 1 < text.size() ? text[i + 1] : L'\0';
        const char* name = kind == L'i' || kind == L'd' ? "int" : kind == L's' ? "str" : "bad";
        list += (list.empty() ? "" : ",") + std::string(name);
        ++i;
    }
    return list;
}

// The keys of section INTERFACE of the file the program reads.
std::set<int> InterfaceKeys()
{
    std::vector<wchar_t> names(KeyListUnits, L'\0');
    const DWORD length =
        GetPrivateProfileStringW(L"INTERFACE", nullptr, L"", names.data(), KeyListUnits, LanguagePath.c_str());
    std::set<int> keys;
    for (const wchar_t* name = names.data(); name < names.data() + length && *name; name += wcslen(name) + 1)
        keys.insert(_wtoi(name));
    return keys;
}

std::wstring LanguageName()
{
    wchar_t name[MaxTitleLength] = L"";
    GetPrivateProfileStringW(L"LANGUAGE", L"1", L"", name, MaxTitleLength, LanguagePath.c_str());
    return name;
}

std::wstring BuiltLanguageFile(const wchar_t* name)
{
    return HostToWindowsPath(QUENZEL_LANG_DIR) + L"\\" + name;
}

// A program folder whose lang\default.lng is a copy of one built language file.
class LanguageFile : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"quenzel-langfile-" + std::to_wstring(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((dir_ + L"\\lang").c_str(), nullptr));
        ASSERT_TRUE(CopyFileW(BuiltLanguageFile(GetParam()).c_str(), (dir_ + L"\\lang\\default.lng").c_str(), FALSE));
        ResolvePaths(dir_);
        keys_ = ReadKeysTable();
        ASSERT_FALSE(keys_.empty()) << "keys.tsv cannot be read";
    }
    void TearDown() override { uitest::RemoveTree(dir_); }

    std::wstring dir_;
    std::map<int, KeyInfo> keys_;
};

TEST_P(LanguageFile, HasExactlyTheKeysOfTheKeyTable)
{
    std::set<int> documented;
    for (const auto& entry : keys_)
        documented.insert(entry.first);
    EXPECT_EQ(InterfaceKeys(), documented);
    for (const auto& [key, info] : keys_)
        EXPECT_STRNE(LangText(key), L"") << "key " << key << " (" << info.use << ") is empty";
    EXPECT_NE(LanguageName(), L"");
}

TEST_P(LanguageFile, FormatTextsTakeTheDocumentedArguments)
{
    for (const auto& [key, info] : keys_) {
        const std::wstring text = LangString(key);
        EXPECT_EQ(Conversions(text), info.arguments) << "key " << key << ": " << Narrow(text);
        // The program's own check lets the shipped text through unchanged.
        EXPECT_TRUE(FormatTakes(text, info.arguments.c_str())) << "key " << key << ": " << Narrow(text);
        // Formatting with mismatched conversions would crash the test itself.
        if (info.arguments.empty() || Conversions(text) != info.arguments)
            continue;
        // Format with what the program passes; a wrong conversion would show
        // garbage or crash here instead of in front of a user.
        std::wstring formatted;
        std::vector<std::wstring> expected;
        if (info.arguments == "int") {
            formatted = FormatLangText(key, FormatLimit, SampleCount);
            expected = {SampleCountText};
        } else if (info.arguments == "str") {
            formatted = FormatLangText(key, FormatLimit, SampleFirstName);
            expected = {SampleFirstName};
        } else if (info.arguments == "int,str") {
            formatted = FormatLangText(key, FormatLimit, SampleCount, SampleFirstName);
            expected = {SampleCountText, SampleFirstName};
        } else if (info.arguments == "int,int") {
            formatted = FormatLangText(key, FormatLimit, SampleSecondCount, SampleCount);
            expected = {SampleSecondCountText, SampleCountText};
        } else if (info.arguments == "int,int,str") {
            formatted = FormatLangText(key, FormatLimit, SampleSecondCount, SampleCount, SampleFirstName);
            expected = {SampleSecondCountText, SampleCountText, SampleFirstName};
        } else if (info.arguments == "int,str,str") {
            formatted = FormatLangText(key, FormatLimit, SampleCount, SampleFirstName, SampleSecondName);
            expected = {SampleCountText, SampleFirstName, SampleSecondName};
        } else if (info.arguments == "int,int,str,str") {
            formatted =
                FormatLangText(key, FormatLimit, SampleSecondCount, SampleCount, SampleFirstName, SampleSecondName);
            expected = {SampleSecondCountText, SampleCountText, SampleFirstName, SampleSecondName};
        } else if (info.arguments == "int,int,int,int") {
            formatted = FormatLangText(key, FormatLimit, SampleSecondCount, SampleCount, SampleSecondCount, SampleCount);
            expected = {SampleSecondCountText, SampleCountText, SampleSecondCountText, SampleCountText};
        } else if (info.arguments == "str,str") {
            formatted = FormatLangText(key, FormatLimit, SampleFirstName, SampleSecondName);
            expected = {SampleFirstName, SampleSecondName};
        } else {
            ADD_FAILURE() << "key " << key << ": unknown argument list " << info.arguments;
            continue;
        }
        size_t from = 0;
        for (const std::wstring& argument : expected) {
            const size_t at = formatted.find(argument, from);
            EXPECT_NE(at, std::wstring::npos) << "key " << key << ": " << Narrow(formatted);
            from = at == std::wstring::npos ? from : at + argument.size();
        }
    }
}

TEST_P(LanguageFile, TextsFitTheirBuffers)
{
    for (int key = FirstMenuKey; key <= LastMenuKey; ++key)
        EXPECT_LE(wcslen(LangText(key)), MenuTextLimit) << "menu key " << key;
    for (int key = FirstStatusColumnKey; key <= LastStatusColumnKey; ++key)
        EXPECT_LE(wcslen(LangText(key)), StatusColumnLimit) << "status key " << key;
    if (Conversions(LangString(TransparencyTitleKey)) == "int") {
        EXPECT_LE(FormatLangText(TransparencyTitleKey, FormatLimit, LargestPercent).size(), TransparencyTitleLimit);
    }
    for (const auto& entry : keys_)
        EXPECT_LT(wcslen(LangText(entry.first)), LangTextLimit) << "key " << entry.first << " would be cut";
}

// Each menu's texts, and each page's with the menu bar's (they share Alt),
// have Alt+letters of their own.
TEST_P(LanguageFile, EveryMenuAndPageHasDistinctMnemonics)
{
    using namespace keys;
    const std::vector<int> bar = {MenuFile, MenuEdit, MenuPageList, MenuMsTools, MenuOptions, MenuHelp};
    std::vector<std::vector<int>> groups = {
        {MenuNewText, MenuOpenInNotepad, MenuVerify, MenuExit},
        {MenuOptionsPage, MenuFilePage, MenuFolderPage, MenuSlotPage, MenuShredderPage, MenuDrivesPage},
        {MenuMsInfo, MenuMsConfig, MenuCleanMgr, MenuDefrag, MenuRegedit, MenuRestore},
        {MenuLanguage, MenuOnTop, MenuMagnet, MenuTransparency, MenuClearFont},
        {MenuHelpContents, MenuHelpFaq, MenuHelpTips, MenuWebSite, MenuReportMail, MenuAbout}};
    for (std::vector<int> page : std::vector<std::vector<int>>{
             {RecycleSource, AddEnc, RemoveEnc, AddDec, StrongFormatOption, AddEncryptedFolder, RemoveEncryptedFolder,
              AddDecryptedFolder, EncryptIntoFolder, DecryptIntoFolder},
             {FileGroup, PasswordMode, KeyFileMode, LevelLabel, EncryptCaption, DecryptCaption},
             {FolderGroup, PasswordMode, KeyFileMode, LevelLabel, EncryptCaption, DecryptCaption},
             {SlotGroup},
             {ShredGroup, DeleteShreddedOption, AddFileCaption, AddFolderCaption, ClearListCaption, RemoveRowsCaption,
              ShredCaption},
             {DrivesGroup, LogonOption, MountCaption, UnmountCaption, ApplyCaption, RemoveDriveCaption,
              NewDriveCaption}}) {
        page.insert(page.end(), bar.begin(), bar.end());
        groups.push_back(page);
    }
    for (const std::vector<int>& group : groups) {
        std::map<wchar_t, int> owner;
        for (int key : group) {
            const std::wstring text = LangString(key);
            const size_t mark = text.find(L'&');
            ASSERT_TRUE(mark != std::wstring::npos && mark + 1 < text.size()) << "key " << key << ": " << Narrow(text);
            const auto [at, fresh] = owner.emplace(towupper(text[mark + 1]), key);
            EXPECT_TRUE(fresh) << "keys " << at->second << " and " << key << " share a mnemonic";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Built, LanguageFile, ::testing::Values(L"default.lng", L"english.lng", L"german.lng"),
                         [](const auto& test) {
                             const std::string name = Narrow(test.param);
                             return name.substr(0, name.find('.'));
                         });

// The conversions of every key of one file, through the program's lookup.
std::map<int, std::string> ConversionsOf(const wchar_t* fileName)
{
    LanguagePath = BuiltLanguageFile(fileName);
    std::map<int, std::string> result;
    for (int key : InterfaceKeys())
        result[key] = Conversions(LangString(key));
    return result;
}

TEST(Translations, GermanHasTheKeysAndConversionsOfEnglish)
{
    const auto english = ConversionsOf(L"english.lng");
    const auto german = ConversionsOf(L"german.lng");
    ASSERT_FALSE(english.empty());
    for (const auto& [key, conversions] : english) {
        const auto translated = german.find(key);
        ASSERT_NE(translated, german.end()) << "German lacks key " << key;
        EXPECT_EQ(translated->second, conversions) << "key " << key;
    }
    EXPECT_EQ(german.size(), english.size()) << "German has keys English does not have";
    LanguagePath = BuiltLanguageFile(L"german.lng");
    EXPECT_EQ(LanguageName(), L"Deutsch");
    EXPECT_EQ(std::wstring(LangText(keys::FirstTabLabel)), L"Optionen");
}

// The German texts that are rightly the same as the English ones: names and
// words both languages share.
constexpr int SameInGerman[] = {
    keys::MainGroup,               // "Quenzel", the program's name
    keys::MenuPageList,            // "Brannock &Tools", the name of the page list
    keys::Ok,                      // "OK"
    keys::DriveStatusColumnHeader, // "Status", German too
    keys::NewDriveOk,              // "OK"
    keys::SizeKilobytes,           // "KB"
    keys::SizeGigabytes,           // "GB"
};

// The texts of every key of one file, through the program's lookup.
std::map<int, std::wstring> TextsOf(const wchar_t* fileName)
{
    LanguagePath = BuiltLanguageFile(fileName);
    std::map<int, std::wstring> result;
    for (int key : InterfaceKeys())
        result[key] = LangString(key);
    return result;
}

// Every English key is translated: none missing, and none left in English
// except the few listed above.
TEST(Translations, GermanTranslatesEveryEnglishText)
{
    const auto english = TextsOf(L"english.lng");
    const auto german = TextsOf(L"german.lng");
    ASSERT_FALSE(english.empty());
    const std::set<int> same(std::begin(SameInGerman), std::end(SameInGerman));
    for (const auto& [key, text] : english) {
        const auto translated = german.find(key);
        if (translated == german.end()) {
            ADD_FAILURE() << "German lacks key " << key;
            continue;
        }
        if (same.count(key)) {
            EXPECT_EQ(translated->second, text) << "key " << key << " is listed as the same in both languages";
        } else {
            EXPECT_NE(translated->second, text) << "key " << key << " is still English: " << Narrow(text);
        }
    }
}

TEST(Translations, FilesAreUnicodeAndEnglishCopyEqualsTheDefault)
{
    std::string defaultBytes, englishBytes, germanBytes;
    ASSERT_TRUE(uitest::ReadFileBytes(BuiltLanguageFile(L"default.lng"), defaultBytes));
    ASSERT_TRUE(uitest::ReadFileBytes(BuiltLanguageFile(L"english.lng"), englishBytes));
    ASSERT_TRUE(uitest::ReadFileBytes(BuiltLanguageFile(L"german.lng"), germanBytes));
    EXPECT_EQ(englishBytes, defaultBytes);
    EXPECT_EQ(germanBytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(englishBytes.substr(0, 2), "\xFF\xFE");
}

} // namespace
} // namespace quenzel
