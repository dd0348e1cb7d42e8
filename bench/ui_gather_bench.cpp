// The folder page's "..." button (or the shredder page's add folder button)
// timed from the outside: the real program lists a tree into its list, while
// this program checks that the window keeps answering. Prints
// "ui-gather <seconds> <files> <slowest answer ms>".
//   ui_gather_bench FOLDER [shredder]
#include "crypt/folder_page_ids.h"
#include "shredder/shredder_page_ids.h"
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
    if (argc != 2 && !(argc == 3 && std::wstring(argv[2]) == L"shredder")) {
        std::fprintf(stderr, "usage: ui_gather_bench FOLDER [shredder]\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const bool shredder = argc == 3;
    // The page's list, its button and the status text that ends the listing.
    const int list = shredder ? quenzel::IDC_SHRED_LIST : quenzel::IDC_FOLDER_LIST;
    const wchar_t* listed = shredder ? L"file(s) in the list" : L"file(s) found";
    Started s;
    Start(s, nullptr, shredder ? ShredderPageCommand : FolderPageCommand);
    if (!s.window)
        return 1;
    PostCommand(s.window, shredder ? quenzel::IDC_SHRED_ADD_FOLDER : quenzel::IDC_FOLDER_GATHER);
    ChooseInFolderPicker(s.app, folder);
    const auto start = Clock::now();
    double slowest = 0;
    const bool done = WaitUntil([&] {
        const auto asked = Clock::now();
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(s.window, WM_NULL, 0, 0, SMTO_NORMAL, AnswerTimeoutMs, &answer);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - asked).count();
        slowest = ms > slowest ? ms : slowest;
        return StatusText(s, 1).find(listed) != std::wstring::npos;
    }, std::chrono::minutes(10));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long files = static_cast<long>(SendMessageW(s.app.Control(list), LVM_GETITEMCOUNT, 0, 0));
    std::printf("ui-gather %.3f %ld %.0f\n", seconds, files, slowest);
    s.app.Close();
    return done ? 0 : 1;
}
