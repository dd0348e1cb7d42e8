#include "base/settings.h"

#include "base/handles.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/long_path.h"
#include "base/page_kit.h"
#include "base/process.h"
#include "base/profile_text.h"

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
    UniqueFile file(CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
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

// ANSI text, read as the profile functions read it, as UTF-16LE bytes with a mark.
bool AnsiToUtf16Profile(const std::string& bytes, std::string& utf16le)
{
    utf16le.assign(reinterpret_cast<const char*>(Utf16ByteOrderMark), sizeof Utf16ByteOrderMark);
    if (bytes.empty())
        return true;
    const int length = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (units <= 0)
        return false;
    std::wstring text(static_cast<size_t>(units), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), units) != units)
        return false;
    utf16le.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return true;
}

// The converted text of the file, or false when it needs none (`needed`
// false) or cannot be converted.
bool ConvertedText(const std::string& bytes, ConvertedForms forms, std::string& converted, bool& needed)
{
    const ProfileTextForm form = DetectProfileTextForm(bytes);
    needed =
        form != ProfileTextForm::Readable || (forms == ConvertedForms::MisreadAndAnsi && !HasUtf16ByteOrderMark(bytes));
    if (!needed)
        return false;
    if (form == ProfileTextForm::Readable)
        return AnsiToUtf16Profile(bytes, converted);
    return ToUtf16Profile(bytes, form, converted);
}
} // namespace

bool FitsAnsiCodePage(const std::wstring& text)
{
    if (text.empty())
        return true;
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, &usedDefault);
    return length > 0 && !usedDefault;
}

SettingsConversion ConvertSettingsFile(const std::wstring& file, ConvertedForms forms)
{
    const DWORD attributes = GetFileAttributesW(ExtendedLengthPath(file).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return SettingsConversion::NotNeeded;
    std::string bytes;
    bool tooLarge = false;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || !ReadWholeFile(file, bytes, tooLarge))
        return SettingsConversion::Unreadable;
    if (tooLarge)
        return SettingsConversion::NotNeeded;
    std::string converted;
    bool needed = false;
    if (!ConvertedText(bytes, forms, converted, needed))
        return needed ? SettingsConversion::Failed : SettingsConversion::NotNeeded;
    if (!KeepBackup(file))
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
    switch (ConvertSettingsFile(SettingsPath)) {
    case SettingsConversion::Failed:
        WarnUserText(FormatLangText(keys::SettingsNotConverted, MaxTextLength, SettingsPath.c_str()));
        break;
    case SettingsConversion::Unreadable:
        WarnUserText(FormatLangText(keys::SettingsUnreadable, MaxTextLength, SettingsPath.c_str()));
        break;
    case SettingsConversion::NotNeeded:
    case SettingsConversion::Converted:
        break;
    }
}

std::wstring ReadProfileText(const std::wstring& file, const wchar_t* section, const wchar_t* key, const wchar_t* def,
                             unsigned limit)
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
    UniqueFile handle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle)
        return GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS;
    DWORD written = 0;
    const BOOL ok = WriteFile(handle.Get(), Utf16ByteOrderMark, sizeof Utf16ByteOrderMark, &written, nullptr);
    return ok && written == sizeof Utf16ByteOrderMark;
}

bool EnsureProfileHolds(const std::wstring& file, const std::wstring& text)
{
    if (!EnsureUnicodeProfile(file))
        return false;
    if (FitsAnsiCodePage(text))
        return true;
    const SettingsConversion conversion = ConvertSettingsFile(file, ConvertedForms::MisreadAndAnsi);
    return conversion == SettingsConversion::NotNeeded || conversion == SettingsConversion::Converted;
}

bool WriteSetting(const wchar_t* section, const wchar_t* key, const wchar_t* value)
{
    if (!EnsureProfileHolds(SettingsPath, std::wstring(section) + key + (value ? value : L"")))
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

bool ReadSetting(const FlagSetting& flag)
{
    return ReadIntSetting(flag.key.section, KeyName(flag.key).c_str(), 0) != 0;
}

int ReadSetting(const IntSetting& setting)
{
    return ReadIntSetting(setting.key.section, KeyName(setting.key).c_str(), setting.byDefault);
}

std::wstring ReadSetting(const TextSetting& setting)
{
    return ReadTextSetting(setting.key.section, KeyName(setting.key).c_str());
}

bool WriteSetting(const FlagSetting& flag, bool set)
{
    return WriteSetting(flag.key.section, KeyName(flag.key).c_str(), set ? L"1" : L"0");
}

bool WriteSetting(const IntSetting& setting, int value)
{
    return WriteIntSetting(setting.key.section, KeyName(setting.key).c_str(), value);
}

bool WriteSetting(const TextSetting& setting, const std::wstring& text)
{
    return WriteSetting(setting.key.section, KeyName(setting.key).c_str(), text.c_str());
}

int ToggleSetting(const FlagSetting& flag)
{
    return ToggleFlagSetting(flag.key.section, KeyName(flag.key).c_str());
}

bool ReplaceSection(const NumberedSection<TextSetting>& section, const std::vector<std::wstring>& values)
{
    if (values.empty())
        return EnsureUnicodeProfile(SettingsPath)
            && (WritePrivateProfileSectionW(section.section, nullptr, SettingsPath.c_str())
                || GetLastError() == ERROR_FILE_NOT_FOUND);
    // The whole section in one write: the file never holds a part of it.
    const std::wstring block = NumberedSectionBlock(section, values);
    // Names outside the ANSI code page survive only in UTF-16: a new file is
    // made so, and an ANSI file is converted before they are written.
    if (!EnsureProfileHolds(SettingsPath, block))
        return false;
    return WritePrivateProfileSectionW(section.section, block.c_str(), SettingsPath.c_str()) != FALSE;
}

} // namespace quenzel
