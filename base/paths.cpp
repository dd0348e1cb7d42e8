#include "base/shell.h"

#include "base/settings.h"

#include <vector>

namespace quenzel {

HINSTANCE Instance = nullptr;
HWND MainWindow = nullptr;
std::wstring ProgramDir;
std::wstring SettingsPath;
std::wstring LanguagePath;
std::wstring HelpFilePath;
int WindowWidth = 0;
int WindowHeight = 0;
bool MagnetEnabled = false;
int CurrentPage = 0;

namespace {
constexpr wchar_t SettingsFileName[] = L"\\Quenzel.ini";
constexpr wchar_t LanguageFileName[] = L"\\lang\\default.lng";
constexpr wchar_t HelpFolderName[] = L"\\help\\";
constexpr wchar_t LanguageSection[] = L"LANGUAGE";
constexpr wchar_t HelpFileKey[] = L"4";
constexpr DWORD HelpFileNameLimit = 260;
} // namespace

std::wstring ExecutableFolder()
{
    std::vector<wchar_t> buffer(MaxTextLength + 1);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring path(buffer.data(), length);
    const size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos)
        path.resize(slash);
    return path;
}

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
