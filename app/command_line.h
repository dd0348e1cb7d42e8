// What the command line asks of start-up. Portable: no windows.h.
#pragma once

#include <string>
#include <vector>

namespace quenzel {

struct StartRequest {
    bool logonMode = false; // an argument "-x", anywhere, any case: re-create the folder drives and end
    int startTab = -1;      // a leading digit 0 to 5 selects that tab; -1 none
    // The arguments after the leading one that starts with a digit, other
    // than "-x": files and folders placed on the tab as a drop places them.
    std::vector<std::wstring> paths;
};

StartRequest ParseCommandLine(const wchar_t* commandLine);

// Splits a command line (without the program's name) into its arguments by
// the usual Windows rules: blanks separate, double quotes group, a backslash
// escapes a quote, and a doubled quote inside quotes stands for one.
std::vector<std::wstring> SplitArguments(const wchar_t* commandLine);

} // namespace quenzel
