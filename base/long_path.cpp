#include "base/long_path.h"

namespace quenzel {

namespace {
constexpr wchar_t ExtendedPrefix[] = L"\\\\?\\";
constexpr wchar_t ExtendedUncPrefix[] = L"\\\\?\\UNC\\";
constexpr wchar_t UncPrefix[] = L"\\\\";

bool StartsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

bool IsDriveAbsolute(const std::wstring& path)
{
    return path.size() >= 3 && path[1] == L':' && path[2] == L'\\'
           && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}
} // namespace

std::wstring ExtendedLengthPath(const std::wstring& path)
{
    if (path.size() < ClassicPathLimit || StartsWith(path, ExtendedPrefix))
        return path;
    if (IsDriveAbsolute(path))
        return ExtendedPrefix + path;
    if (StartsWith(path, UncPrefix))
        return ExtendedUncPrefix + path.substr(2);
    return path;
}

} // namespace quenzel
