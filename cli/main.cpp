// quenzel-cli's entry: the arguments as UTF-8 (from UTF-16 on Windows).
#include "cli/commands.h"
#include "cli/system.h"

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

namespace {

std::string Utf8Of(const wchar_t* text)
{
    const int length = static_cast<int>(wcslen(text));
    if (length == 0)
        return {};
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), needed, nullptr, nullptr);
    return utf8;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    quenzel::cli::PrepareProcess();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(Utf8Of(argv[i]));
    return quenzel::cli::RunCli(args);
}
#else
int main(int argc, char** argv)
{
    quenzel::cli::PrepareProcess();
    return quenzel::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
