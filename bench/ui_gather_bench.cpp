// The folder page's "..." button timed from the outside: the real program
// lists a tree into its folder list, while this program checks that the
// window keeps answering. Prints "ui-gather <seconds> <files> <slowest answer ms>".
//   ui_gather_bench FOLDER
#include "tests/ui/crypt_ui_support.h"

#include <commctrl.h>

#include <chrono>
#include <cstdio>

namespace {
using Clock = std::chrono::steady_clock;
constexpr UINT AnswerTimeoutMs = 5000;
} // namespace

int wmain(int argc, wchar_t** argv)
{
    using namespace cryptui;
    if (argc != 2) {
        std::fprintf(stderr, "usage: ui_gather_bench FOLDER\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    Started s;
    Start(s, nullptr, FolderPageCommand);
    if (!s.window)
        return 1;
    PostCommand(s.window, 1047);
    ChooseInFolderPicker(s.app, folder);
    const auto start = Clock::now();
    double slowest = 0;
    const bool done = WaitUntil([&] {
        const auto asked = Clock::now();
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(s.window, WM_NULL, 0, 0, SMTO_NORMAL, AnswerTimeoutMs, &answer);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - asked).count();
        slowest = ms > slowest ? ms : slowest;
        return StatusText(s, 1).find(L"file(s) found") != std::wstring::npos;
    }, std::chrono::minutes(10));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long files = static_cast<long>(SendMessageW(s.app.Control(1048), LVM_GETITEMCOUNT, 0, 0));
    std::printf("ui-gather %.3f %ld %.0f\n", seconds, files, slowest);
    s.app.Close();
    return done ? 0 : 1;
}
