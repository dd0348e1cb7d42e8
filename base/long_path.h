// Paths longer than the classic limit, and names the classic functions
// would change. Portable: no windows.h.
#pragma once

#include <string>

namespace quenzel {

// The classic path limit, terminator included (MAX_PATH).
inline constexpr size_t ClassicPathLimit = 260;

// The path in extended-length form ("\\?\C:\..." or "\\?\UNC\server\...")
// when it is too long for the classic file functions; shorter paths, and
// paths already in that form or not absolute, come back unchanged.
std::wstring ExtendedLengthPath(const std::wstring& path);

// The extended form of an absolute path, whatever its length, so that the
// file functions reach exactly the file it names: separators, "." and ".."
// are resolved as the classic functions resolve them, but a name that ends
// in a dot or a space keeps it ("dot." never becomes "dot"). Paths already
// in that form, device paths and paths that are not absolute come back
// unchanged. For file operations only, never for display.
std::wstring ExtendedPath(const std::wstring& path);

// True when the classic functions reach the same file as the extended form:
// an absolute path below the classic limit with no "." or ".." part, no
// doubled or forward separator and no name ending in a dot or a space.
// Routines that take no extended form (the shell's) are given such a path only.
bool ClassicFormIsExact(const std::wstring& path);

} // namespace quenzel
