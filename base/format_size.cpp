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
} // namespace

void FormatSize(wchar_t* buffer, std::uint64_t bytes, std::size_t length)
{
    if (!buffer || length == 0)
        return;
    // The texts are ASCII: format narrow in the "C" rules, then widen.
    char text[TextLimit];
    if (bytes < KiloThreshold)
        std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
    else if (bytes < MegaThreshold)
        std::snprintf(text, sizeof text, "%.4g KB", static_cast<double>(bytes) / Kibi);
    else if (bytes < GigaThreshold)
        std::snprintf(text, sizeof text, "%llu,%03llu KB", static_cast<unsigned long long>(bytes / ThousandKibi),
                      static_cast<unsigned long long>((bytes / Kibi) % GroupSize));
    else
        std::snprintf(text, sizeof text, "%.4g GB", static_cast<double>(bytes) / Gibi);
    std::size_t i = 0;
    for (; i + 1 < length && text[i]; ++i)
        buffer[i] = static_cast<wchar_t>(text[i]);
    buffer[i] = L'\0';
}

} // namespace quenzel
