// A program that imports two functions Windows 7 does not have, so the
// import check can show that it refuses them. It is never run.
#include <windows.h>

extern "C" __declspec(dllimport) void WINAPI GetSystemTimePreciseAsFileTime(LPFILETIME time);
extern "C" __declspec(dllimport) UINT WINAPI GetDpiForWindow(HWND window);

int main()
{
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    return static_cast<int>(GetDpiForWindow(GetDesktopWindow()) + now.dwLowDateTime);
}
