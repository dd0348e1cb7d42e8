#include "base/profile_text.h"

#include <cstdint>

namespace quenzel {

namespace {

constexpr char Utf8Mark[] = "\xEF\xBB\xBF";
constexpr size_t Utf8MarkLength = 3;

bool StartsWith(const std::string& bytes, const char* mark, size_t length)
{
    return bytes.size() >= length && bytes.compare(0, length, mark, length) == 0;
}

// UTF-16LE text without a mark: mostly characters below U+0100, so the high
// byte of most units is zero, and the low byte of hardly any.
bool LooksLikeUtf16(const std::string& bytes)
{
    if (bytes.size() < 2 || bytes.size() % 2 != 0)
        return false;
    size_t zeroLow = 0;
    size_t zeroHigh = 0;
    for (size_t i = 0; i < bytes.size(); i += 2) {
        zeroLow += bytes[i] == '\0';
        zeroHigh += bytes[i + 1] == '\0';
    }
    const size_t units = bytes.size() / 2;
    return zeroHigh * 2 >= units && zeroLow * 4 < zeroHigh;
}

void AppendUnit(std::string& out, uint32_t unit)
{
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>((unit >> 8) & 0xFF);
}

// Decodes UTF-8 strictly (no overlong forms, surrogates or values past
// U+10FFFF) into UTF-16LE bytes; false on the first invalid sequence.
bool Utf8ToUtf16(const std::string& bytes, size_t from, std::string& out)
{
    for (size_t i = from; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        // The number of continuation bytes, the lead's value bits, and the
        // smallest value that needs this many bytes.
        size_t extra = 0;
        uint32_t value = lead;
        uint32_t minimum = 0;
        if (lead >= 0x80) {
            if ((lead & 0xE0) == 0xC0) {
                extra = 1;
                value = lead & 0x1F;
                minimum = 0x80;
            } else if ((lead & 0xF0) == 0xE0) {
                extra = 2;
                value = lead & 0x0F;
                minimum = 0x800;
            } else if ((lead & 0xF8) == 0xF0) {
                extra = 3;
                value = lead & 0x07;
                minimum = 0x10000;
            } else {
                return false;
            }
        }
        if (i + extra >= bytes.size())
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (next & 0x3F);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        if (value >= 0x10000) {
            AppendUnit(out, 0xD800 + ((value - 0x10000) >> 10));
            AppendUnit(out, 0xDC00 + ((value - 0x10000) & 0x3FF));
        } else {
            AppendUnit(out, value);
        }
        i += extra + 1;
    }
    return true;
}

bool BeyondAscii(const std::string& bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

} // namespace

bool HasUtf16ByteOrderMark(const std::string& bytes)
{
    return StartsWith(bytes, "\xFF\xFE", 2) || StartsWith(bytes, "\xFE\xFF", 2);
}

ProfileTextForm DetectProfileTextForm(const std::string& bytes)
{
    if (HasUtf16ByteOrderMark(bytes))
        return ProfileTextForm::Readable;
    if (StartsWith(bytes, Utf8Mark, Utf8MarkLength))
        return ProfileTextForm::Utf8;
    if (LooksLikeUtf16(bytes))
        return ProfileTextForm::Utf16NoMark;
    std::string ignored;
    if (BeyondAscii(bytes) && bytes.find('\0') == std::string::npos && Utf8ToUtf16(bytes, 0, ignored))
        return ProfileTextForm::Utf8;
    return ProfileTextForm::Readable;
}

bool ToUtf16Profile(const std::string& bytes, ProfileTextForm form, std::string& utf16le)
{
    utf16le = "\xFF\xFE";
    switch (form) {
    case ProfileTextForm::Utf16NoMark:
        utf16le += bytes;
        return bytes.size() % 2 == 0;
    case ProfileTextForm::Utf8:
        return Utf8ToUtf16(bytes, StartsWith(bytes, Utf8Mark, Utf8MarkLength) ? Utf8MarkLength : 0, utf16le);
    case ProfileTextForm::Readable:
        break;
    }
    return false;
}

} // namespace quenzel
