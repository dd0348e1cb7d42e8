#include "base/settings.h"

#include "base/handles.h"
#include "base/shell.h"

#include <vector>

namespace quenzel {

namespace {
constexpr unsigned char Utf16ByteOrderMark[] = {0xFF, 0xFE};
constexpr int IntTextLength = 12;
} // namespace

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
