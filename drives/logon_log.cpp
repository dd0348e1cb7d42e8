#include "drives/logon_log.h"

#include <cwctype>
#include <iterator>
#include <sstream>

namespace quenzel {

namespace {
constexpr wchar_t HeadingStart[] = L"Quenzel log-on start ";
constexpr wchar_t CountMark[] = L", folder drives not mounted: ";
constexpr wchar_t ShownLine[] = L"Shown on the folder-drives page.";
// A count of more digits is no count this log can hold.
constexpr size_t MaxCountDigits = 3;

std::vector<std::wstring> Lines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    std::wistringstream stream(text);
    for (std::wstring line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The count at the end of the heading; -1 when the line is no heading.
int CountOfHeading(const std::wstring& line)
{
    if (line.compare(0, std::size(HeadingStart) - 1, HeadingStart) != 0)
        return -1;
    const size_t mark = line.rfind(CountMark);
    if (mark == std::wstring::npos)
        return -1;
    const std::wstring digits = line.substr(mark + std::size(CountMark) - 1);
    if (digits.empty() || digits.size() > MaxCountDigits)
        return -1;
    int count = 0;
    for (wchar_t c : digits) {
        if (!std::iswdigit(c))
            return -1;
        count = count * 10 + (c - L'0');
    }
    return count;
}
} // namespace

std::wstring LogonLogText(const std::wstring& when, const std::vector<std::wstring>& failures)
{
    std::wstring text = HeadingStart + when + CountMark + std::to_wstring(failures.size()) + L"\r\n";
    // The heading, the failures and, later, the line that says they were shown.
    const size_t room = LogonLogMaxLines - 2;
    for (size_t i = 0; i < failures.size() && i < room; ++i)
        text += failures[i] + L"\r\n";
    return text;
}

LogonLogState ReadLogonLog(const std::wstring& text)
{
    const std::vector<std::wstring> lines = Lines(text);
    LogonLogState state;
    if (lines.empty())
        return state;
    const int count = CountOfHeading(lines.front());
    if (count < 0)
        return state;
    state.notMounted = count;
    for (const std::wstring& line : lines)
        state.shown = state.shown || line == ShownLine;
    return state;
}

bool LogonNoticeDue(const LogonLogState& state)
{
    return state.notMounted > 0 && !state.shown;
}

std::wstring LogonLogShown(const std::wstring& text)
{
    std::wstring shown = text;
    if (!shown.empty() && shown.back() != L'\n')
        shown += L"\r\n";
    return shown + ShownLine + L"\r\n";
}

} // namespace quenzel
