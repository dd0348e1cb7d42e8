#include "app/safe_start.h"

#include "app/options_page.h"
#include "base/handles.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/long_path.h"
#include "base/page_kit.h"
#include "base/process.h"

#include <windows.h>

#include <string>

namespace quenzel {

namespace {

constexpr wchar_t ByteOrderMark = 0xFEFF;

bool SettingsFileMissing()
{
    return GetFileAttributesW(ExtendedLengthPath(SettingsPath).c_str()) == INVALID_FILE_ATTRIBUTES
        && GetLastError() == ERROR_FILE_NOT_FOUND;
}

enum class NewSettings { Written, Existed, NotMade, PartLeft };

// Writes the whole text into a file made new. A file that came meanwhile
// is left alone.
NewSettings WriteNewSettingsFile(const std::wstring& text)
{
    const std::wstring path = ExtendedLengthPath(SettingsPath);
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS ? NewSettings::Existed
                                                                                             : NewSettings::NotMade;
    const std::wstring content = ByteOrderMark + text;
    const DWORD bytes = static_cast<DWORD>(content.size() * sizeof(wchar_t));
    DWORD written = 0;
    if (WriteFile(file.Get(), content.data(), bytes, &written, nullptr) && written == bytes)
        return NewSettings::Written;
    // A part of the text would count as an existing file and keep the
    // defaults that replace sources: the file goes again.
    file.Reset();
    return DeleteFileW(path.c_str()) ? NewSettings::NotMade : NewSettings::PartLeft;
}

} // namespace

void WriteSafeSettingsWhenNone()
{
    if (!SettingsFileMissing())
        return;
    switch (WriteNewSettingsFile(SafeStartSettingsText())) {
    case NewSettings::Written:
    case NewSettings::Existed:
        break;
    case NewSettings::NotMade:
        WarnUser(keys::NewSettingsNotWritten);
        break;
    case NewSettings::PartLeft:
        WarnUserText(FormatLangText(keys::NewSettingsPartLeft, MaxTextLength, SettingsPath.c_str()));
        break;
    }
}

} // namespace quenzel
