#include "base/long_path.h"

#include <vector>

namespace quenzel {

namespace {
constexpr wchar_t ExtendedPrefix[] = L"\\\\?\\";
constexpr wchar_t ExtendedUncPrefix[] = L"\\\\?\\UNC\\";
constexpr wchar_t DevicePrefix[] = L"\\\\.\\";
constexpr wchar_t UncPrefix[] = L"\\\\";

bool StartsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool IsDriveAbsolute(const std::wstring& path)
{
    return path.size() >= 3 && path[1] == L':' && IsSeparator(path[2])
        && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

bool IsUnc(const std::wstring& path)
{
    return path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
}

// The position after the next run of separators from `at`.
size_t SkipSeparators(const std::wstring& path, size_t at)
{
    while (at < path.size() && IsSeparator(path[at]))
        ++at;
    return at;
}

size_t NextSeparator(const std::wstring& path, size_t at)
{
    while (at < path.size() && !IsSeparator(path[at]))
        ++at;
    return at;
}

// The names after the root, with "." dropped and ".." taking one back.
std::vector<std::wstring> ResolvedNames(const std::wstring& path, size_t from)
{
    std::vector<std::wstring> names;
    for (size_t at = SkipSeparators(path, from); at < path.size();) {
        const size_t end = NextSeparator(path, at);
        const std::wstring name = path.substr(at, end - at);
        if (name == L"..") {
            if (!names.empty())
                names.pop_back();
        } else if (name != L".") {
            names.push_back(name);
        }
        at = SkipSeparators(path, end);
    }
    return names;
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

std::wstring ExtendedPath(const std::wstring& path)
{
    if (StartsWith(path, ExtendedPrefix) || StartsWith(path, DevicePrefix))
        return path;
    std::wstring extended;
    size_t rest = 0;
    if (IsDriveAbsolute(path)) {
        extended = ExtendedPrefix + path.substr(0, 2);
        rest = 2;
    } else if (IsUnc(path)) {
        // The server and the share are the root: ".." never climbs above them.
        const size_t server = NextSeparator(path, 2);
        const size_t shareStart = SkipSeparators(path, server);
        const size_t shareEnd = NextSeparator(path, shareStart);
        extended = ExtendedUncPrefix + path.substr(2, server - 2);
        if (shareStart < shareEnd)
            extended += L'\\' + path.substr(shareStart, shareEnd - shareStart);
        rest = shareEnd;
    } else {
        return path;
    }
    const std::vector<std::wstring> names = ResolvedNames(path, rest);
    if (names.empty())
        return extended + L'\\';
    for (const std::wstring& name : names)
        extended += L'\\' + name;
    return extended;
}

bool ClassicFormIsExact(const std::wstring& path)
{
    const bool drive = IsDriveAbsolute(path) && path[2] == L'\\';
    const bool unc = IsUnc(path) && path[0] == L'\\' && path[1] == L'\\';
    if (path.size() >= ClassicPathLimit || (!drive && !unc))
        return false;
    for (size_t at = drive ? 3 : 2; at < path.size();) {
        const size_t end = NextSeparator(path, at);
        const std::wstring name = path.substr(at, end - at);
        if (name.empty() || name == L"." || name == L".." || name.back() == L'.' || name.back() == L' ')
            return false;
        if (end < path.size() && (path[end] == L'/' || end + 1 == path.size()))
            return false;
        at = end + 1;
    }
    return true;
}

} // namespace quenzel
