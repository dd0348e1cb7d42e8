// What kind of character a code point is, as far as the text preview needs
// to know: text a reader can use, a space, a combining mark, a format
// character, or other. The
// table is generated from the Unicode database (scripts/lib/make-char-tables.py).
#pragma once

#include <cstddef>
#include <cstdint>

namespace quenzel {

enum class CharKind : std::uint8_t {
    Other,  // controls, surrogates, private use, unassigned, symbols above U+00FF
    Text,   // letters, numbers, punctuation, currency signs, printable characters below U+0100
    Space,  // space, line and paragraph separators
    Mark,   // combining marks: nonspacing, spacing and enclosing
    Format, // format characters above U+00FF: joiners, invisible operators, bidirectional controls
};

// A run of code points of one kind, from `first` up to the next run's first.
struct CharKindRun {
    char32_t first;
    CharKind kind;
};

// Sorted by `first`; the first run starts at U+0000.
extern const CharKindRun CharKindRuns[];
extern const std::size_t CharKindRunCount;

// The kind of `codePoint`; anything past U+10FFFF is Other. Pure, for any thread.
CharKind CharKindOf(char32_t codePoint);

} // namespace quenzel
