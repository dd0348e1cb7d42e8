#include "base/process.h"

#include "base/settings.h"

namespace quenzel {

HINSTANCE Instance = nullptr;
HWND MainWindow = nullptr;
std::wstring ProgramDir;
std::wstring SettingsPath;
std::wstring LanguagePath;
std::wstring HelpFilePath;
int CurrentPage = 0;

namespace {
constexpr wchar_t SettingsFileName[] = L"\\Quenzel.ini";
constexpr wchar_t LanguageFileName[] = L"\\lang\\default.lng";
constexpr wchar_t HelpFolderName[] = L"\\help\\";
constexpr wchar_t LanguageSection[] = L"LANGUAGE";
constexpr wchar_t HelpFileKey[] = L"4";
constexpr DWORD HelpFileNameLimit = 260;
} // namespace

void ResolvePaths(const std::wstring& programDir)
{
    ProgramDir = programDir;
    SettingsPath = ProgramDir + SettingsFileName;
    LanguagePath = ProgramDir + LanguageFileName;
    // The help file is named by the language file, so it comes last.
    HelpFilePath = ProgramDir + HelpFolderName
        + ReadProfileText(LanguagePath, LanguageSection, HelpFileKey, L"", HelpFileNameLimit);
}

} // namespace quenzel
