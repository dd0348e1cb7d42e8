// The short size text of lists and labels ("999 bytes", "4,882 KB", "4 GB").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quenzel {

// How the reader writes sizes: the separators of the user's locale and the
// unit words of the language file.
struct SizeNotation {
    std::wstring decimalSeparator = L".";
    std::wstring thousandsSeparator = L",";
    std::wstring bytes = L"bytes";
    std::wstring kilobytes = L"KB";
    std::wstring gigabytes = L"GB";
};

// The size text of `bytes`. Thresholds are decimal, divisors binary; pure,
// for any thread.
std::wstring SizeText(std::uint64_t bytes, const SizeNotation& notation);

// Writes the size text into `buffer` of `length` characters, cut to fit and
// always terminated (nothing is written when length is 0).
void FormatSize(wchar_t* buffer, std::uint64_t bytes, std::size_t length, const SizeNotation& notation);

// The same in the user's locale and the language file's units (Windows
// only: base/size_notation.cpp).
void FormatSize(wchar_t* buffer, std::uint64_t bytes, std::size_t length);

} // namespace quenzel
