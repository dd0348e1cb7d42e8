#include "app/command_line.h"

#include <cwctype>

namespace quenzel {

namespace {
constexpr int LastTabDigit = 5;

bool HoldsLogonSwitch(const wchar_t* text)
{
    for (; text[0] != L'\0'; ++text)
        if (text[0] == L'-' && std::towlower(text[1]) == L'x')
            return true;
    return false;
}
} // namespace

StartRequest ParseCommandLine(const wchar_t* commandLine)
{
    StartRequest request;
    if (!commandLine)
        return request;
    request.logonMode = HoldsLogonSwitch(commandLine);
    const wchar_t first = commandLine[0];
    if (first >= L'0' && first <= L'0' + LastTabDigit)
        request.startTab = first - L'0';
    return request;
}

} // namespace quenzel
