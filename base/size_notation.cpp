// The size texts in the user's locale (digits' separators) and the language
// file's units.
#include "base/format_size.h"
#include "base/lang_keys.h"
#include "base/language.h"

#include <windows.h>

namespace quenzel {

namespace {
// LOCALE_SDECIMAL and LOCALE_STHOUSAND hold at most four characters.
constexpr int SeparatorLength = 8;

// One separator of the user's locale; the "C" one when it cannot be read.
std::wstring LocaleSeparator(LCTYPE which, const wchar_t* fallback)
{
    wchar_t text[SeparatorLength] = L"";
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, which, text, SeparatorLength) <= 0)
        return fallback;
    return text;
}

SizeNotation ReadersNotation()
{
    SizeNotation notation;
    notation.decimalSeparator = LocaleSeparator(LOCALE_SDECIMAL, L".");
    notation.thousandsSeparator = LocaleSeparator(LOCALE_STHOUSAND, L",");
    notation.bytes = LangString(keys::SizeBytes);
    notation.kilobytes = LangString(keys::SizeKilobytes);
    notation.gigabytes = LangString(keys::SizeGigabytes);
    return notation;
}
} // namespace

void FormatSize(wchar_t* buffer, std::uint64_t bytes, std::size_t length)
{
    FormatSize(buffer, bytes, length, ReadersNotation());
}

} // namespace quenzel
