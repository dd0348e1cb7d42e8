// UTF-8 to Windows-1252, the ANSI code page of Western Windows systems,
// for a classic file's password where no ANSI code page is (Linux, macOS).
#include "cli/system.h"

namespace quenzel::cli {

namespace {

// The characters of bytes 0x80 to 0x9F; 0 where Windows-1252 has none.
constexpr char16_t HighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
constexpr uint8_t FirstHighControl = 0x80;
constexpr uint32_t FirstLatin1Letter = 0xA0;
constexpr uint32_t LastLatin1 = 0xFF;
constexpr uint32_t LastAscii = 0x7F;

// The next code point of UTF-8 text; false when the bytes are not UTF-8
// (overlong forms and surrogates included).
bool NextCodePoint(const uint8_t* text, size_t length, size_t& at, uint32_t& codePoint)
{
    const uint8_t lead = text[at];
    size_t extra = 0;
    uint32_t least = 0;
    if (lead <= LastAscii) {
        codePoint = lead;
        ++at;
        return true;
    }
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        codePoint = lead & 0x1F;
        least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        codePoint = lead & 0x0F;
        least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        codePoint = lead & 0x07;
        least = 0x10000;
    } else {
        return false;
    }
    if (at + extra >= length)
        return false;
    for (size_t i = 1; i <= extra; ++i) {
        const uint8_t next = text[at + i];
        if ((next & 0xC0) != 0x80)
            return false;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    at += extra + 1;
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint >= least && codePoint <= 0x10FFFF && !surrogate;
}

bool ByteOf(uint32_t codePoint, uint8_t& byte)
{
    if (codePoint <= LastAscii || (codePoint >= FirstLatin1Letter && codePoint <= LastLatin1)) {
        byte = static_cast<uint8_t>(codePoint);
        return true;
    }
    for (size_t i = 0; i < sizeof HighControls / sizeof HighControls[0]; ++i) {
        if (HighControls[i] != 0 && HighControls[i] == codePoint) {
            byte = static_cast<uint8_t>(FirstHighControl + i);
            return true;
        }
    }
    return false;
}

} // namespace

bool Windows1252FromUtf8(const uint8_t* utf8, size_t length, SecretBytes& out)
{
    SecretBytes bytes(length); // never longer than its UTF-8
    size_t written = 0;
    for (size_t at = 0; at < length;) {
        uint32_t codePoint = 0;
        if (!NextCodePoint(utf8, length, at, codePoint) || !ByteOf(codePoint, bytes.data()[written]))
            return false;
        ++written;
    }
    out = SecretBytes(bytes.data(), written);
    return true;
}

} // namespace quenzel::cli
