#include "base/format_check.h"

#include <cwchar>

namespace quenzel {

namespace {

bool IsFlag(wchar_t c)
{
    return c == L'-' || c == L'+' || c == L' ' || c == L'#' || c == L'0';
}

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// The kind of argument the conversion at `p` (just after its '%') takes:
// 'i' for an integer, 's' for a string, 0 for anything not allowed. Moves
// `p` past the conversion.
char ConversionKind(const wchar_t*& p)
{
    while (IsFlag(*p))
        ++p;
    while (IsDigit(*p))
        ++p;
    if (*p == L'.') {
        ++p;
        while (IsDigit(*p))
            ++p;
    }
    const wchar_t conversion = *p;
    if (conversion == L'\0')
        return 0;
    ++p;
    if (conversion == L'i' || conversion == L'd')
        return 'i';
    if (conversion == L's')
        return 's';
    return 0;
}

// The next argument kind of the list at `a`, moving `a` past it: 'i', 's',
// 0 at the end, '?' for a kind the list should not hold.
char NextArgument(const char*& a)
{
    if (*a == '\0')
        return 0;
    const char* start = a;
    while (*a != '\0' && *a != ',')
        ++a;
    const std::string word(start, a);
    if (*a == ',')
        ++a;
    if (word == "int")
        return 'i';
    if (word == "str")
        return 's';
    return '?';
}

} // namespace

bool FormatTakes(const std::wstring& format, const char* arguments)
{
    const char* a = arguments ? arguments : "";
    for (const wchar_t* p = format.c_str(); *p != L'\0';) {
        if (*p++ != L'%')
            continue;
        if (*p == L'%') {
            ++p;
            continue;
        }
        const char kind = ConversionKind(p);
        if (kind == 0 || kind != NextArgument(a))
            return false;
    }
    return NextArgument(a) == 0;
}

} // namespace quenzel
