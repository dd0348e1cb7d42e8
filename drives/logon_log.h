// The log of the last log-on start ("-x"), which shows no window: the
// folder drives it could not mount, one line each, and whether the
// folder-drives page has shown the notice of them. Portable: no windows.h.
//
// The file beside the settings file holds only the last log-on start:
//   Quenzel log-on start <when>, folder drives not mounted: <n>
//   <one line per drive not mounted>
//   Shown on the folder-drives page.      (once the page has said so)
#pragma once

#include <string>
#include <vector>

namespace quenzel {

inline constexpr wchar_t LogonLogName[] = L"Quenzel.log";
// The log never grows past this many lines, its heading included.
inline constexpr size_t LogonLogMaxLines = 50;

// The log of one log-on start at `when`, with one line per drive not
// mounted (the first lines only, should there be more than fit).
std::wstring LogonLogText(const std::wstring& when, const std::vector<std::wstring>& failures);

struct LogonLogState {
    int notMounted = 0; // drives the last log-on start did not mount
    bool shown = false; // the page has said so
};

// What a log says; an empty, foreign or damaged log says nothing.
LogonLogState ReadLogonLog(const std::wstring& text);

// True when the page still has to say that drives were not mounted.
bool LogonNoticeDue(const LogonLogState& state);

// The log with the line that says the page has shown its notice.
std::wstring LogonLogShown(const std::wstring& text);

} // namespace quenzel
