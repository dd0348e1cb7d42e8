// A stand-in for the HTML Help viewer, registered in place of the system's
// for one test: each call of its HtmlHelpW (export ordinal 15) appends
// "file|command|data" to the file named by QUENZEL_HELP_LOG.
#include <windows.h>

#include <cstdio>

extern "C" __declspec(dllexport) HWND WINAPI HtmlHelpW(HWND owner, LPCWSTR file, UINT command, DWORD_PTR data)
{
    wchar_t logPath[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"QUENZEL_HELP_LOG", logPath, MAX_PATH))
        return nullptr;
    FILE* log = _wfopen(logPath, L"a, ccs=UTF-8");
    if (!log)
        return nullptr;
    fwprintf(log, L"%ls|%u|%lu\n", file ? file : L"", command, static_cast<unsigned long>(data));
    fclose(log);
    return owner;
}
