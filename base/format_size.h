// The short size text of lists and labels ("999 bytes", "4,882 KB", "4 GB").
#pragma once

#include <cstddef>
#include <cstdint>

namespace quenzel {

// Writes the size text of `bytes` into `buffer` of `length` characters,
// cut to fit and always terminated (nothing is written when length is 0).
// Thresholds are decimal, divisors binary; pure, for any thread.
void FormatSize(wchar_t* buffer, std::uint64_t bytes, std::size_t length);

} // namespace quenzel
