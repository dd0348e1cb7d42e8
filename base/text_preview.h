// The first bytes of a file as text a reader can use: the encoding is
// judged from the bytes, and every character that would show as noise or
// upset the line's layout (controls, bidirectional formatting, lone
// surrogates, noncharacters, private use, marks with no base of their
// script) is replaced by one placeholder, as hex viewers do.
#pragma once

#include <string>
#include <string_view>

namespace quenzel {

// Stands for each character the preview cannot show.
inline constexpr char16_t PreviewPlaceholder = u'\u00B7';

// Combining marks kept on one base: pointed Hebrew and Tibetan stacks need
// three; more is noise that some shapers cannot take.
inline constexpr int PreviewMarksPerBase = 3;

// Decodes bytes in the system's ANSI code page (which only Windows knows).
using AnsiDecoder = std::u16string (*)(std::string_view bytes);

enum class PreviewEncoding { Utf16LittleEndian, Utf16BigEndian, Utf8, Ansi };

struct TextPreview {
    std::u16string text;
    PreviewEncoding encoding;
};

// Reads `bytes` as UTF-16 when they start with its byte-order mark; as UTF-8
// when they are valid UTF-8 with its byte-order mark or with non-ASCII
// characters (a character cut at the end is dropped); as UTF-16 little-endian
// when they are valid UTF-16 (a unit or pair cut at the end is dropped) that
// is mostly text, long enough to tell, and reads better than the ANSI
// decoding; else through `decodeAnsi`. No byte-order mark is part of the
// text, and the text ends at its first zero character, as a window's text
// would. Pure, for any thread.
TextPreview PreviewOfBytes(std::string_view bytes, AnsiDecoder decodeAnsi);

} // namespace quenzel
