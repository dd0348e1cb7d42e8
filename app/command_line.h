// What the command line asks of start-up. Portable: no windows.h.
#pragma once

namespace quenzel {

struct StartRequest {
    bool logonMode = false; // "-x" anywhere, any case: re-create the folder drives and end
    int startTab = -1;      // a leading digit 0 to 5 selects that tab; -1 none
};

StartRequest ParseCommandLine(const wchar_t* commandLine);

} // namespace quenzel
