#include "app/command_line.h"

#include <cwctype>

namespace quenzel {

namespace {
constexpr int LastTabDigit = 5;
constexpr wchar_t LogonSwitch[] = L"-x";

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// A whole argument only: a file named "tax-xmas.txt" is no switch.
bool IsLogonSwitch(const std::wstring& argument)
{
    return argument.size() == 2 && argument[0] == LogonSwitch[0] && std::towlower(argument[1]) == LogonSwitch[1];
}
} // namespace

std::vector<std::wstring> SplitArguments(const wchar_t* commandLine)
{
    std::vector<std::wstring> arguments;
    if (!commandLine)
        return arguments;
    const wchar_t* p = commandLine;
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (*p == L'\0')
            return arguments;
        std::wstring argument;
        bool quoted = false;
        while (*p != L'\0' && (quoted || !IsBlank(*p))) {
            size_t backslashes = 0;
            while (*p == L'\\') {
                ++backslashes;
                ++p;
            }
            if (*p == L'"') {
                argument.append(backslashes / 2, L'\\');
                if (backslashes % 2 == 1) {
                    argument += L'"';
                } else if (quoted && p[1] == L'"') {
                    argument += L'"';
                    ++p;
                } else {
                    quoted = !quoted;
                }
                ++p;
            } else {
                argument.append(backslashes, L'\\');
                if (*p != L'\0' && (quoted || !IsBlank(*p)))
                    argument += *p++;
            }
        }
        arguments.push_back(argument);
    }
}

StartRequest ParseCommandLine(const wchar_t* commandLine)
{
    StartRequest request;
    if (!commandLine)
        return request;
    const wchar_t first = commandLine[0];
    const bool leadingDigit = first >= L'0' && first <= L'9';
    if (first >= L'0' && first <= L'0' + LastTabDigit)
        request.startTab = first - L'0';
    std::vector<std::wstring> arguments = SplitArguments(commandLine);
    // The argument that holds the tab digit (or the ignored 6 to 9) is no path.
    for (size_t i = leadingDigit ? 1 : 0; i < arguments.size(); ++i) {
        if (IsLogonSwitch(arguments[i]))
            request.logonMode = true;
        else
            request.paths.push_back(std::move(arguments[i]));
    }
    return request;
}

} // namespace quenzel
