// Paths longer than the classic limit. Portable: no windows.h.
#pragma once

#include <string>

namespace quenzel {

// The classic path limit, terminator included (MAX_PATH).
inline constexpr size_t ClassicPathLimit = 260;

// The path in extended-length form ("\\?\C:\..." or "\\?\UNC\server\...")
// when it is too long for the classic file functions; shorter paths, and
// paths already in that form or not absolute, come back unchanged.
std::wstring ExtendedLengthPath(const std::wstring& path);

} // namespace quenzel
