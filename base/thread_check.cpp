#include "base/thread_check.h"

#include "base/process.h"

#include <windows.h>

#include <cstdio>

namespace quenzel {

namespace {

constexpr wchar_t CheckVariable[] = L"QUENZEL_CHECK_THREADS";

bool CheckWanted()
{
    return GetEnvironmentVariableW(CheckVariable, nullptr, 0) != 0;
}

[[noreturn]] void FailOffThread(const char* caller)
{
    std::fprintf(stderr, "Quenzel: %s called off the window's thread\n", caller);
    std::fflush(stderr);
    __builtin_trap();
}

} // namespace

void ExpectWindowThread(const char* caller)
{
    static const bool wanted = CheckWanted();
    if (!wanted || !MainWindow)
        return;
    if (GetWindowThreadProcessId(MainWindow, nullptr) != GetCurrentThreadId())
        FailOffThread(caller);
}

} // namespace quenzel
