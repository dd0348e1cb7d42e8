#include "base/text_preview.h"

#include "base/char_kinds.h"

#include <algorithm>
#include <cstddef>
#include <optional>

namespace quenzel {

namespace {

constexpr std::string_view Utf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view Utf16BigEndianMark = "\xFE\xFF";
constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

// UTF-16 without a byte-order mark must be at least this share text, in
// percent: random bytes read as UTF-16 come to about 70 % (most of them CJK
// ideographs and Hangul syllables), real text to nearly all.
constexpr std::size_t TextSharePercent = 90;
constexpr std::size_t Percent = 100;
// Nor is it judged on fewer characters of text than this, unless all lie
// below U+0100 (which one random unit in 256 does): a few random bytes read
// as CJK ideographs as easily as a few characters of real text.
constexpr std::size_t Utf16EvidenceCharacters = 16;
constexpr char32_t Latin1End = 0x100;

constexpr int NoBase = -1;

constexpr unsigned ByteBits = 8;
constexpr char32_t AsciiEnd = 0x80;

constexpr char32_t HighSurrogateFirst = 0xD800;
constexpr char32_t LowSurrogateFirst = 0xDC00;
constexpr char32_t SurrogateLast = 0xDFFF;
constexpr char32_t SurrogateBits = 10;
constexpr char32_t SupplementaryFirst = 0x10000;

bool IsHighSurrogate(char32_t unit)
{
    return unit >= HighSurrogateFirst && unit < LowSurrogateFirst;
}

bool IsLowSurrogate(char32_t unit)
{
    return unit >= LowSurrogateFirst && unit <= SurrogateLast;
}

bool IsSurrogate(char32_t unit)
{
    return unit >= HighSurrogateFirst && unit <= SurrogateLast;
}

bool IsLineControl(char32_t c)
{
    return c == u'\t' || c == u'\r' || c == u'\n';
}

// C0 (but tab, CR, LF), DEL and C1.
bool IsControl(char32_t c)
{
    constexpr char32_t C0End = 0x20;
    constexpr char32_t Delete = 0x7F;
    constexpr char32_t C1Last = 0x9F;
    return (c < C0End && !IsLineControl(c)) || (c >= Delete && c <= C1Last);
}

bool IsNoncharacter(char32_t c)
{
    constexpr char32_t ArabicBlockFirst = 0xFDD0;
    constexpr char32_t ArabicBlockLast = 0xFDEF;
    constexpr char32_t PlaneEndMask = 0xFFFE;
    return (c >= ArabicBlockFirst && c <= ArabicBlockLast) || (c & PlaneEndMask) == PlaneEndMask;
}

bool IsBidiFormat(char32_t c)
{
    constexpr char32_t ArabicLetterMark = 0x061C;
    constexpr char32_t LeftToRightMark = 0x200E;
    constexpr char32_t RightToLeftMark = 0x200F;
    constexpr char32_t EmbeddingFirst = 0x202A; // LRE, RLE, PDF, LRO, RLO
    constexpr char32_t EmbeddingLast = 0x202E;
    constexpr char32_t IsolateFirst = 0x2066; // LRI, RLI, FSI, PDI
    constexpr char32_t IsolateLast = 0x2069;
    return c == ArabicLetterMark || c == LeftToRightMark || c == RightToLeftMark
        || (c >= EmbeddingFirst && c <= EmbeddingLast) || (c >= IsolateFirst && c <= IsolateLast);
}

bool IsPrivateUse(char32_t c)
{
    constexpr char32_t AreaFirst = 0xE000;
    constexpr char32_t AreaLast = 0xF8FF;
    constexpr char32_t PlanesFirst = 0xF0000; // planes 15 and 16
    return (c >= AreaFirst && c <= AreaLast) || c >= PlanesFirst;
}

bool Unusable(char32_t c)
{
    return IsControl(c) || IsSurrogate(c) || IsNoncharacter(c) || IsBidiFormat(c) || IsPrivateUse(c);
}

void Append(std::u16string& text, char32_t c)
{
    if (c < SupplementaryFirst) {
        text.push_back(static_cast<char16_t>(c));
        return;
    }
    const char32_t offset = c - SupplementaryFirst;
    constexpr char32_t LowBitsMask = (1u << SurrogateBits) - 1;
    text.push_back(static_cast<char16_t>(HighSurrogateFirst + (offset >> SurrogateBits)));
    text.push_back(static_cast<char16_t>(LowSurrogateFirst + (offset & LowBitsMask)));
}

// The preview as shown, and how much of it a reader can use.
struct Reading {
    std::u16string text;
    std::size_t readable = 0; // characters of text, spaces, line controls and marks kept on a base
    std::size_t total = 0;
    std::size_t pastLatin1 = 0; // characters from U+0100 on

    bool MostlyText() const
    {
        return total > 0 && (readable >= Utf16EvidenceCharacters || pastLatin1 == 0)
            && readable * Percent >= total * TextSharePercent;
    }
    bool ReadsBetterThan(const Reading& other) const { return readable * other.total > other.readable * total; }
};

// Puts each unusable character, and each mark with no base, on a base of
// another script, or past the marks a base keeps, as one placeholder; counts
// the readable ones. Fonts shape marks, and under Wine's 64-bit Uniscribe a
// mark that starts a script's run (a Lao vowel sign after a Latin letter, a
// spacing tilde after a digit) takes the process down.
class Reader {
public:
    void Take(char32_t c)
    {
        ++reading_.total;
        if (c >= Latin1End)
            ++reading_.pastLatin1;
        if (Unusable(c))
            Replace();
        else if (IsLineControl(c))
            Keep(c, true, NoBase);
        else
            Classify(c, ClassOf(c));
    }

    Reading Done() { return std::move(reading_); }

private:
    void Classify(char32_t c, CharClass charClass)
    {
        switch (charClass.kind) {
        case CharKind::Mark:
            TakeMark(c, charClass.script);
            return;
        case CharKind::Letter:
            Keep(c, true, charClass.script);
            return;
        case CharKind::Text:
            Keep(c, true, AnyScript);
            return;
        case CharKind::Space:
            Keep(c, true, NoBase);
            return;
        case CharKind::Format:
            // Kept, but invisible: no base for a mark.
            Keep(c, false, NoBase);
            return;
        case CharKind::Other:
            // Symbols and unassigned code points are kept, and carry the
            // marks of any script, but are not counted as text.
            Keep(c, false, AnyScript);
            return;
        }
    }

    void TakeMark(char32_t c, int script)
    {
        if (base_ == NoBase || marks_ >= PreviewMarksPerBase || (script != AnyScript && script != base_)) {
            Replace();
            return;
        }
        Append(reading_.text, c);
        ++reading_.readable;
        ++marks_;
    }

    // `base` is the script whose marks `c` carries besides those that go on
    // any script (AnyScript: only those), or NoBase when it carries none.
    void Keep(char32_t c, bool readable, int base)
    {
        Append(reading_.text, c);
        if (readable)
            ++reading_.readable;
        base_ = base;
        marks_ = 0;
    }

    void Replace()
    {
        reading_.text.push_back(PreviewPlaceholder);
        base_ = NoBase;
    }

    Reading reading_;
    int base_ = NoBase; // the script of the base before, AnyScript, or NoBase
    int marks_ = 0;     // marks kept on that base
};

Reading Read(std::u16string_view units)
{
    Reader reader;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            const char32_t low = units[++i];
            reader.Take(SupplementaryFirst + ((unit - HighSurrogateFirst) << SurrogateBits)
                        + (low - LowSurrogateFirst));
        } else {
            reader.Take(unit);
        }
    }
    return reader.Done();
}

bool StartsWith(std::string_view bytes, std::string_view prefix)
{
    return bytes.substr(0, prefix.size()) == prefix;
}

// The whole units of `bytes`; a high surrogate whose pair the preview cut
// off at the end is dropped.
std::u16string Utf16Units(std::string_view bytes, PreviewEncoding order)
{
    const unsigned highFirst = order == PreviewEncoding::Utf16BigEndian ? 0 : 1;
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned high = static_cast<unsigned char>(bytes[i + highFirst]);
        const unsigned low = static_cast<unsigned char>(bytes[i + 1 - highFirst]);
        units.push_back(static_cast<char16_t>((high << ByteBits) | low));
    }
    if (!units.empty() && IsHighSurrogate(units.back()))
        units.pop_back();
    return units;
}

bool HasLoneSurrogate(std::u16string_view units)
{
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (IsHighSurrogate(units[i]) && i + 1 < units.size() && IsLowSurrogate(units[i + 1]))
            ++i;
        else if (IsSurrogate(units[i]))
            return true;
    }
    return false;
}

std::u16string_view UpToZero(std::u16string_view units)
{
    return units.substr(0, units.find(u'\0'));
}

TextPreview Utf16Preview(std::string_view bytes, PreviewEncoding order)
{
    const std::u16string units = Utf16Units(bytes, order);
    return {Read(UpToZero(units)).text, order};
}

constexpr unsigned ContinuationFirst = 0x80;
constexpr unsigned ContinuationLast = 0xBF;

// The length of the UTF-8 sequence a lead byte starts, 0 for no lead byte
// (continuation bytes, the overlong two-byte leads C0 and C1, and leads past
// U+10FFFF).
std::size_t SequenceLength(unsigned lead)
{
    constexpr unsigned TwoByteLeadFirst = 0xC2;
    constexpr unsigned ThreeByteLeadFirst = 0xE0;
    constexpr unsigned FourByteLeadFirst = 0xF0;
    constexpr unsigned LeadEnd = 0xF5;
    if (lead < TwoByteLeadFirst || lead >= LeadEnd)
        return 0;
    if (lead < ThreeByteLeadFirst)
        return 2;
    return lead < FourByteLeadFirst ? 3 : 4;
}

// The byte after some leads has narrower bounds, which keep out overlong
// forms, surrogates and code points past U+10FFFF.
struct SecondByteBounds {
    unsigned lead;
    unsigned first;
    unsigned last;
};

constexpr SecondByteBounds NarrowSecondBytes[] = {
    {0xE0, 0xA0, ContinuationLast},  // overlong three-byte forms
    {0xED, ContinuationFirst, 0x9F}, // surrogates
    {0xF0, 0x90, ContinuationLast},  // overlong four-byte forms
    {0xF4, ContinuationFirst, 0x8F}, // past U+10FFFF
};

bool SecondByteFits(unsigned lead, unsigned second)
{
    for (const SecondByteBounds& bounds : NarrowSecondBytes) {
        if (bounds.lead == lead)
            return second >= bounds.first && second <= bounds.last;
    }
    return second >= ContinuationFirst && second <= ContinuationLast;
}

bool IsContinuation(unsigned byte)
{
    return byte >= ContinuationFirst && byte <= ContinuationLast;
}

// Decodes one sequence already checked.
char32_t DecodeSequence(std::string_view sequence)
{
    constexpr unsigned PayloadBits = 6;
    constexpr unsigned PayloadMask = 0x3F;
    constexpr unsigned LeadMasks[] = {0, 0, 0x1F, 0x0F, 0x07}; // by sequence length
    char32_t c = static_cast<unsigned char>(sequence[0]) & LeadMasks[sequence.size()];
    for (std::size_t i = 1; i < sequence.size(); ++i)
        c = (c << PayloadBits) | (static_cast<unsigned char>(sequence[i]) & PayloadMask);
    return c;
}

// The UTF-8 text of `bytes` (a sequence cut at the end dropped), or nothing
// when any byte is not valid UTF-8, or when all are ASCII and the file had no
// byte-order mark: plain ASCII reads the same in the ANSI code page.
std::optional<std::u16string> Utf8Text(std::string_view bytes, bool marked)
{
    std::u16string text;
    bool nonAscii = false;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned lead = static_cast<unsigned char>(bytes[i]);
        if (lead < AsciiEnd) {
            text.push_back(static_cast<char16_t>(lead));
            ++i;
            continue;
        }
        const std::size_t length = SequenceLength(lead);
        if (length == 0)
            return std::nullopt;
        const std::size_t available = std::min(length, bytes.size() - i);
        for (std::size_t k = 1; k < available; ++k) {
            const unsigned byte = static_cast<unsigned char>(bytes[i + k]);
            if (k == 1 ? !SecondByteFits(lead, byte) : !IsContinuation(byte))
                return std::nullopt;
        }
        if (available < length)
            break; // cut by the preview's end
        Append(text, DecodeSequence(bytes.substr(i, length)));
        nonAscii = true;
        i += length;
    }
    if (!nonAscii && !marked)
        return std::nullopt;
    return text;
}

} // namespace

TextPreview PreviewOfBytes(std::string_view bytes, AnsiDecoder decodeAnsi)
{
    if (StartsWith(bytes, Utf16LittleEndianMark))
        return Utf16Preview(bytes.substr(Utf16LittleEndianMark.size()), PreviewEncoding::Utf16LittleEndian);
    if (StartsWith(bytes, Utf16BigEndianMark))
        return Utf16Preview(bytes.substr(Utf16BigEndianMark.size()), PreviewEncoding::Utf16BigEndian);
    const bool utf8Marked = StartsWith(bytes, Utf8Mark);
    if (const std::optional<std::u16string> text = Utf8Text(bytes.substr(utf8Marked ? Utf8Mark.size() : 0), utf8Marked))
        return {Read(UpToZero(*text)).text, PreviewEncoding::Utf8};
    const std::u16string ansiText = decodeAnsi(bytes);
    const Reading ansi = Read(ansiText);
    const std::u16string units = Utf16Units(bytes, PreviewEncoding::Utf16LittleEndian);
    if (!HasLoneSurrogate(units)) {
        const Reading wide = Read(units);
        if (wide.MostlyText() && wide.ReadsBetterThan(ansi))
            return Utf16Preview(bytes, PreviewEncoding::Utf16LittleEndian);
    }
    return {Read(UpToZero(ansiText)).text, PreviewEncoding::Ansi};
}

} // namespace quenzel
