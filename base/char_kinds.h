// What kind of character a code point is, as far as the text preview needs
// to know (a letter, other text, a space, a combining mark, a format
// character, or other), and for letters and marks their script. The table
// is generated from the Unicode database (scripts/lib/make-char-tables.py).
#pragma once

#include <cstddef>
#include <cstdint>

namespace quenzel {

enum class CharKind : std::uint8_t {
    Other,  // controls, surrogates, private use, unassigned, symbols above U+00FF
    Letter, // letters of any script
    Text,   // numbers, punctuation, currency signs, other printable characters below U+0100
    Space,  // space, line and paragraph separators
    Mark,   // combining marks, and the spacing modifier letters fonts shape as marks
    Format, // format characters above U+00FF: joiners, invisible operators, bidirectional controls
};

// The script of a mark that goes on a letter of any script (and on other
// characters), and of every character that is neither letter nor mark.
inline constexpr std::uint8_t AnyScript = 0;

struct CharClass {
    CharKind kind;
    std::uint8_t script; // numbered in the generated table; AnyScript or a letter's script
};

// A run of code points of one class, from `first` up to the next run's first.
struct CharClassRun {
    char32_t first;
    CharKind kind;
    std::uint8_t script;
};

// Sorted by `first`; the first run starts at U+0000.
extern const CharClassRun CharClassRuns[];
extern const std::size_t CharClassRunCount;

// The class of `codePoint`; anything past U+10FFFF is Other. Pure, for any thread.
CharClass ClassOf(char32_t codePoint);

} // namespace quenzel
