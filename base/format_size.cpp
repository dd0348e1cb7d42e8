#include "base/format_size.h"

#include <cstdio>

namespace quenzel {

namespace {
constexpr std::uint64_t KiloThreshold = 1000;
constexpr std::uint64_t MegaThreshold = 1000000;
constexpr std::uint64_t GigaThreshold = 1000000000;
constexpr std::uint64_t Kibi = 1024;
constexpr std::uint64_t ThousandKibi = 1024000;
constexpr double Gibi = 1073741824.0;
constexpr std::uint64_t GroupSize = 1000;
constexpr std::size_t TextLimit = 64;

// The number, formatted in the "C" rules, with its '.' and ',' replaced by
// the reader's separators, then a blank and the unit.
std::wstring Localised(const char* number, const SizeNotation& notation, const std::wstring& unit)
{
    std::wstring text;
    for (const char* c = number; *c; ++c) {
        if (*c == '.')
            text += notation.decimalSeparator;
        else if (*c == ',')
            text += notation.thousandsSeparator;
        else
            text += static_cast<wchar_t>(*c);
    }
    return text + L" " + unit;
}
} // namespace

std::wstring SizeText(std::uint64_t bytes, const SizeNotation& notation)
{
    char number[TextLimit];
    if (bytes < KiloThreshold) {
        std::snprintf(number, sizeof number, "%llu", static_cast<unsigned long long>(bytes));
        return Localised(number, notation, notation.bytes);
    }
    if (bytes < MegaThreshold)
        std::snprintf(number, sizeof number, "%.4g", static_cast<double>(bytes) / Kibi);
    else if (bytes < GigaThreshold)
        std::snprintf(number, sizeof number, "%llu,%03llu", static_cast<unsigned long long>(bytes / ThousandKibi),
                      static_cast<unsigned long long>((bytes / Kibi) % GroupSize));
    else {
        std::snprintf(number, sizeof number, "%.4g", static_cast<double>(bytes) / Gibi);
        return Localised(number, notation, notation.gigabytes);
    }
    return Localised(number, notation, notation.kilobytes);
}

void FormatSize(wchar_t* buffer, std::uint64_t bytes, std::size_t length, const SizeNotation& notation)
{
    if (!buffer || length == 0)
        return;
    const std::wstring text = SizeText(bytes, notation);
    std::size_t i = 0;
    for (; i + 1 < length && i < text.size(); ++i)
        buffer[i] = text[i];
    buffer[i] = L'\0';
}

} // namespace quenzel
