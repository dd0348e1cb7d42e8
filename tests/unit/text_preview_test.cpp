// The file preview's text: the encoding judged from the bytes, and nothing
// a reader cannot use (controls, bidirectional formatting, lone surrogates,
// noncharacters, marks with no base) left in it.
#include "base/char_kinds.h"
#include "base/text_preview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace quenzel {
namespace {

constexpr char16_t Dot = PreviewPlaceholder;

// Stands for the ANSI code page: Latin-1, whose bytes 80-9F are C1 controls.
std::u16string Latin1(std::string_view bytes)
{
    std::u16string text;
    for (const char byte : bytes)
        text.push_back(static_cast<unsigned char>(byte));
    return text;
}

std::string Utf16Bytes(std::u16string_view text, bool marked)
{
    std::string bytes = marked ? "\xFF\xFE" : "";
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

// The first code point of `text` a reader cannot use, or 0 when there is none.
char32_t FirstForbidden(std::u16string_view text)
{
    int base = -1; // the script of the base before, -1 with none
    int marks = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        const bool lineControl = c == u'\t' || c == u'\r' || c == u'\n';
        const bool control = (c < 0x20 && !lineControl) || (c >= 0x7F && c <= 0x9F);
        const bool bidi =
            c == 0x61C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
        const bool nonCharacter = (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
        const bool privateUse = (c >= 0xE000 && c <= 0xF8FF) || c >= 0xF0000;
        if (control || bidi || nonCharacter || privateUse || (c >= 0xD800 && c <= 0xDFFF))
            return c;
        const CharClass charClass = ClassOf(c);
        if (charClass.kind == CharKind::Mark) {
            if (base < 0 || marks >= PreviewMarksPerBase || (charClass.script != AnyScript && charClass.script != base))
                return c;
            ++marks;
            continue;
        }
        marks = 0;
        if (c == Dot || lineControl || charClass.kind == CharKind::Space || charClass.kind == CharKind::Format)
            base = -1;
        else
            base = charClass.kind == CharKind::Letter ? charClass.script : AnyScript;
    }
    return 0;
}

TEST(TextPreview, RandomBytesAreNeverUtf16AndShowNothingForbidden)
{
    constexpr int Seeds = 100;
    constexpr std::size_t Length = 512;
    for (int seed = 0; seed < Seeds; ++seed) {
        std::mt19937 random(seed);
        std::string bytes(Length, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(random());
        const TextPreview plain = PreviewOfBytes(bytes, Latin1);
        EXPECT_EQ(plain.encoding, PreviewEncoding::Ansi) << "seed " << seed;
        EXPECT_EQ(plain.text.size(), std::min(bytes.find('\0'), Length)) << "a character a byte up to a zero";
        EXPECT_EQ(FirstForbidden(plain.text), 0u) << "seed " << seed;
        // With a byte-order mark the random units are taken as UTF-16.
        const TextPreview marked = PreviewOfBytes("\xFF\xFE" + bytes, Latin1);
        EXPECT_EQ(marked.encoding, PreviewEncoding::Utf16LittleEndian);
        EXPECT_EQ(FirstForbidden(marked.text), 0u) << "seed " << seed;
    }
}

struct PreviewCase {
    const char* what;
    std::string bytes;
    std::u16string text;
    PreviewEncoding encoding;
};

constexpr PreviewEncoding Utf16 = PreviewEncoding::Utf16LittleEndian;
constexpr PreviewEncoding Utf8 = PreviewEncoding::Utf8;
constexpr PreviewEncoding Ansi = PreviewEncoding::Ansi;

TEST(TextPreview, EncodingIsJudgedAndUnusableCharactersReplaced)
{
    const std::u16string german = u"Grüße aus Köln, 12 € & mehr.\r\n";
    const std::u16string cjk = u"日本語のテキスト、\U0002000Bです。漢字も仮名も。";
    const std::u16string greek = u"Καλημέρα κόσμε, τι κάνεις;";
    const std::u16string hindi = u"हिन्दी भाषा में लिखा गया पाठ";
    const std::u16string accent = u"Cafe\u0301 au lait, cre\u0300me bru\u0302le\u0301e";
    const PreviewCase cases[] = {
        {"UTF-16 with its mark", Utf16Bytes(german, true), german, Utf16},
        {"UTF-16 without", Utf16Bytes(german, false), german, Utf16},
        {"Greek", Utf16Bytes(greek, false), greek, Utf16},
        {"CJK with a surrogate pair", Utf16Bytes(cjk, false), cjk, Utf16},
        {"Devanagari's marks", Utf16Bytes(hindi, false), hindi, Utf16},
        {"accents on their letters", Utf16Bytes(accent, false), accent, Utf16},
        {"short Latin text", Utf16Bytes(u"Hi", false), u"Hi", Utf16},
        {"CJK too short to tell", Utf16Bytes(u"日本語", false), u"åe,g··", Ansi},
        {"big-endian with its mark", std::string("\xFE\xFF\0H\0i", 6), u"Hi", PreviewEncoding::Utf16BigEndian},
        {"ends at a zero unit", Utf16Bytes(std::u16string(u"abc\0def", 7), true), u"abc", Utf16},
        {"an odd last byte", Utf16Bytes(german, false) + "x", german, Utf16},
        {"a pair cut at the end", Utf16Bytes(german + u"\xD83D", false), german, Utf16},
        {"lone surrogates", Utf16Bytes(std::u16string{u'a', 0xDC00, u'b', 0xD800}, true), u"a·b", Utf16},
        {"bidi controls, escape", Utf16Bytes(u"abc\u202Edef\x1B[0m\u2066x\u200F", true), u"abc·def·[0m·x·", Utf16},
        {"a mark at the start", Utf16Bytes(u"\u0301abc", true), u"·abc", Utf16},
        {"marks after a space, a joiner", Utf16Bytes(u"a \u0301b\u200D\u0301", true), u"a ·b\u200D·", Utf16},
        {"too many marks", Utf16Bytes(u"e\u0301\u0302\u0303\u0304\u0305", true), u"e\u0301\u0302\u0303··", Utf16},
        {"a Lao mark on a Latin letter, and on its own", Utf16Bytes(u"a\u0EC8 \u0E81\u0EC8", true), u"a· \u0E81\u0EC8",
         Utf16},
        {"Thai with its marks", u8"ที่นี่ ", u"ที่นี่ ", Utf8},
        {"spacing modifiers on common Latin letters only", u8"a˜ 1˜ ꭅʽ", u"a˜ 1· ꭅ·", Utf8},
        {"noncharacters, private use", Utf16Bytes(u"\uFDD0\uFFFE\uE000\U0001FFFFx", true), u"····x", Utf16},
        {"UTF-8", u8"Grüß Gott, 5 €", u"Grüß Gott, 5 €", Utf8},
        {"UTF-8 Cyrillic", "\xD0\xA1\xD1\x8A\xD0\xB5\xD1\x88\xD1\x8C \xD0\xB6\xD0\xB5", u"Съешь же", Utf8},
        {"ASCII after a UTF-8 mark", "\xEF\xBB\xBFplain", u"plain", Utf8},
        {"UTF-8 cut at the end", "K\xC3\xB6ln \xE2\x82", u"Köln ", Utf8},
        {"a surrogate in UTF-8", "\xED\xA0\x80", u"í\u00A0·", Ansi},
        {"overlong UTF-8", "\xC0\xAF", u"À¯", Ansi},
        {"ANSI", "Gr\xFC\xDF Gott", u"Grüß Gott", Ansi},
        {"ASCII, never CJK", "The quick brown fox jumps over the lazy dog.",
         u"The quick brown fox jumps over the lazy dog.", Ansi},
        {"a long word, never CJK", "pneumonoultramicroscopicsilicovolcanoconiosis",
         u"pneumonoultramicroscopicsilicovolcanoconiosis", Ansi},
        {"escape, C1, ends at a zero", std::string("a\x1B[1mb\x85\0cd", 9), u"a·[1mb·", Ansi},
        {"nothing", "", u"", Ansi},
    };
    for (const PreviewCase& c : cases) {
        const TextPreview preview = PreviewOfBytes(c.bytes, Latin1);
        EXPECT_EQ(preview.text, c.text) << c.what;
        EXPECT_EQ(preview.encoding, c.encoding) << c.what;
    }
}

} // namespace
} // namespace quenzel
