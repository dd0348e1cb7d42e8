// The language file: every text the user sees, looked up by number.
#pragma once

#include <string>

namespace quenzel {

// Longest text a lookup returns; longer texts are cut.
inline constexpr unsigned LangTextLimit = 1023;

// The text of a key in section "INTERFACE" of the language file, with every
// "~" turned into a line feed; empty when missing. The returned buffer
// belongs to the calling thread and stays valid until its next lookup.
const wchar_t* LangText(const wchar_t* key);
const wchar_t* LangText(int key);

// The same text as an owned copy, for a caller that needs two at once.
std::wstring LangString(int key);

// swprintf of a language text used as format; the result is cut cleanly at
// `limit` characters instead of overflowing.
std::wstring FormatLangText(int key, unsigned limit, ...);

} // namespace quenzel
