#include "base/settings.h"

#include "base/handles.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/long_path.h"
#include "base/page_kit.h"
#include "base/profile_text.h"
#include "base/shell.h"

#include <string>
#include <vector>

namespace quenzel {

namespace {
constexpr unsigned char Utf16ByteOrderMark[] = {0xFF, 0xFE};
constexpr int IntTextLength = 12;
// A settings file larger than this is no settings file the program wrote:
// it is left as it is.
constexpr LONGLONG LargestConvertedSettings = 64LL * 1024 * 1024;
// Names tried for the copy of the original before the conversion gives up.
constexpr int BackupNameAttempts = 100;

bool ReadWholeFile(const std::wstring& path, std::string& bytes, bool& tooLarge)
{
    UniqueFile file(CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size))
        return false;
    tooLarge = size.QuadPart > LargestConvertedSettings;
    if (tooLarge)
        return true;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    return bytes.empty()
           || (ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size());
}

bool WriteNewFile(const std::wstring& path, const std::string& bytes)
{
    UniqueFile file(CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
           && written == bytes.size() && FlushFileBuffers(file.Get());
}

// Copies the original to the first free name of "<name>.bak", "<name>.1.bak", ...
bool KeepBackup(const std::wstring& file)
{
    for (int attempt = 0; attempt < BackupNameAttempts; ++attempt) {
        const std::wstring backup = file + (attempt ? L"." + std::to_wstring(attempt) : std::wstring()) + L".bak";
        if (CopyFileW(ExtendedLengthPath(file).c_str(), ExtendedLengthPath(backup).c_str(), TRUE))
            return true;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}
} // namespace

SettingsConversion ConvertSettingsFile(const std::wstring& file)
{
    std::string bytes;
    bool tooLarge = false;
    if (!ReadWholeFile(file, bytes, tooLarge))
        return GetFileAttributesW(ExtendedLengthPath(file).c_str()) == INVALID_FILE_ATTRIBUTES
                   ? SettingsConversion::NotNeeded
                   : SettingsConversion::Failed;
    const ProfileTextForm form = tooLarge ? ProfileTextForm::Readable : DetectProfileTextForm(bytes);
    if (form == ProfileTextForm::Readable)
        return SettingsConversion::NotNeeded;
    std::string converted;
    if (!ToUtf16Profile(bytes, form, converted) || !KeepBackup(file))
        return SettingsConversion::Failed;
    // The converted text takes the file's place in one step.
    const std::wstring temporary = file + L".new";
    if (!WriteNewFile(temporary, converted)
        || !MoveFileExW(ExtendedLengthPath(temporary).c_str(), ExtendedLengthPath(file).c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        // A ".new" file that stays is replaced by the next attempt; the original is untouched.
        DeleteFileW(ExtendedLengthPath(temporary).c_str());
        return SettingsConversion::Failed;
    }
    return SettingsConversion::Converted;
}

void ConvertSettingsFileAtStart()
{
    if (ConvertSettingsFile(SettingsPath) == SettingsConversion::Failed)
        WarnUserText(FormatLangText(keys::SettingsNotConverted, MaxTextLength, SettingsPath.c_str()));
}

std::wstring ReadProfileText(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                             const wchar_t* def, unsigned limit)
{
    std::vector<wchar_t> buffer(limit + 1, L'\0');
    const DWORD length = GetPrivateProfileStringW(section, key, def, buffer.data(), limit, file.c_str());
    return std::wstring(buffer.data(), length);
}

int ReadIntSetting(const wchar_t* section, const wchar_t* key, int def)
{
    return static_cast<int>(GetPrivateProfileIntW(section, key, def, SettingsPath.c_str()));
}

std::wstring ReadTextSetting(const wchar_t* section, const wchar_t* key, const wchar_t* def)
{
    return ReadProfileText(SettingsPath, section, key, def, MaxTextLength);
}

bool EnsureUnicodeProfile(const std::wstring& file)
{
    UniqueFile handle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle)
        return GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS;
    DWORD written = 0;
    const BOOL ok = WriteFile(handle.Get(), Utf16ByteOrderMark, sizeof Utf16ByteOrderMark, &written, nullptr);
    return ok && written == sizeof Utf16ByteOrderMark;
}

bool WriteSetting(const wchar_t* section, const wchar_t* key, const wchar_t* value)
{
    if (!EnsureUnicodeProfile(SettingsPath))
        return false;
    return WritePrivateProfileStringW(section, key, value, SettingsPath.c_str()) != FALSE;
}

bool WriteIntSetting(const wchar_t* section, const wchar_t* key, int value)
{
    wchar_t text[IntTextLength];
    _itow_s(value, text, IntTextLength, 10);
    return WriteSetting(section, key, text);
}

int ToggleFlagSetting(const wchar_t* section, const wchar_t* key)
{
    const int next = ReadIntSetting(section, key, 0) != 0 ? 0 : 1;
    return WriteSetting(section, key, next ? L"1" : L"0") ? next : -1;
}

} // namespace quenzel
