// The folder page's "..." button (or the shredder page's add folder button)
// timed from the outside: the real program lists a tree into its list, while
// this program checks that the window keeps answering. Prints
// "ui-gather <seconds> <files> <slowest answer ms>".
// With "job OUTPUT" the listed tree is then encrypted into OUTPUT by the
// folder page's job, timed from the confirmation's OK to the report, and a
// second line says "ui-job <seconds> <files> <slowest answer ms>".
// With "shred" the files are listed on the shredder page and shredded by its
// job (with the delete option on), timed from the
// question's Yes to the emptied list: "ui-shred <seconds> <files> <slowest>".
//   ui_gather_bench FOLDER [shredder | job OUTPUT | shred]
#include "crypt/folder_page_ids.h"
#include "shredder/shredder_page_ids.h"
#include "tests/ui/crypt_ui_support.h"

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <functional>

namespace {
using Clock = std::chrono::steady_clock;
using namespace cryptui;
constexpr UINT AnswerTimeoutMs = 5000;
constexpr auto LongestRun = std::chrono::minutes(10);

// Waits until `done`, asking the window for an answer at every look;
// the seconds taken, and the slowest answer in `slowestMs`.
double TimeUntil(HWND window, const std::function<bool()>& done, double& slowestMs, bool& finished)
{
    const auto start = Clock::now();
    slowestMs = 0;
    finished = WaitUntil(
        [&] {
            const auto asked = Clock::now();
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, AnswerTimeoutMs, &answer);
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - asked).count();
            slowestMs = ms > slowestMs ? ms : slowestMs;
            return done();
        },
        LongestRun);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Encrypts the listed tree into `output`; false when the job did not report
// every file done.
bool TimeFolderJob(Started& s, const std::wstring& output, long files)
{
    ConfirmJob(s, quenzel::IDC_FOLDER_ENCRYPT, nullptr, output);
    HWND report = nullptr;
    double slowest = 0;
    bool finished = false;
    const double seconds = TimeUntil(
        s.window,
        [&] {
            report = WaitForDialogWith(s.app, MessageTextId, std::chrono::milliseconds(0));
            return report != nullptr;
        },
        slowest, finished);
    const std::wstring text = finished ? FieldText(GetDlgItem(report, MessageTextId)) : L"";
    std::printf("ui-job %.3f %ld %.0f\n", seconds, files, slowest);
    if (report)
        Press(report, IDOK);
    // The report of a job that left files out says "n of m".
    const bool allDone = text.rfind(std::to_wstring(files) + L" file(s) listed", 0) == 0;
    if (!allDone)
        std::fprintf(stderr, "the job's report: %s\n", Narrow(text).c_str());
    return allDone;
}
// Shreds the listed files; false when rows are left.
bool TimeShredJob(Started& s, long files)
{
    // The listing has ended when its buttons are given back.
    if (!WaitUntil([&] { return IsWindowEnabled(s.app.Control(quenzel::IDC_SHRED_START)) != FALSE; }))
        return false;
    PostCommand(s.window, quenzel::IDC_SHRED_START);
    HWND question = WaitForDialogWith(s.app, MessageTextId);
    if (!question || !Press(question, IDYES))
        return false;
    double slowest = 0;
    bool finished = false;
    const double seconds = TimeUntil(
        s.window, [&] { return StatusText(s, 1) == L"0 file(s) in the list"; }, slowest, finished);
    std::printf("ui-shred %.3f %ld %.0f\n", seconds, files, slowest);
    return finished;
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    const bool shred = argc == 3 && std::wstring(argv[2]) == L"shred";
    const bool shredder = shred || (argc == 3 && std::wstring(argv[2]) == L"shredder");
    const bool job = argc == 4 && std::wstring(argv[2]) == L"job";
    if (argc != 2 && !shredder && !job) {
        std::fprintf(stderr, "usage: ui_gather_bench FOLDER [shredder | job OUTPUT | shred]\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    // The page's list, its button and the status text that ends the listing.
    const int list = shredder ? quenzel::IDC_SHRED_LIST : quenzel::IDC_FOLDER_LIST;
    const wchar_t* listed = shredder ? L"file(s) in the list" : L"file(s) found";
    Started s;
    // The shred job deletes what it overwrote, as the engine's benchmark does.
    Start(s, shred ? "[OPTIONS]\nDeleteShredded=1\n" : nullptr, shredder ? ShredderPageCommand : FolderPageCommand);
    if (!s.window)
        return 1;
    // An encryption refuses the sample password the field starts with.
    if (job)
        TypeOwnPassword(s);
    PostCommand(s.window, shredder ? quenzel::IDC_SHRED_ADD_FOLDER : quenzel::IDC_FOLDER_GATHER);
    ChooseInFolderPicker(s.app, folder);
    // Both pages show the chosen folder in the folder field.
    if (!WaitUntil([&] { return FieldText(s.app.Control(quenzel::IDC_FOLDER_SOURCE)) == folder; })) {
        std::fprintf(stderr, "the folder picker did not take %s\n", Narrow(folder).c_str());
        s.app.Close();
        return 1;
    }
    double slowest = 0;
    bool done = false;
    const double seconds = TimeUntil(
        s.window, [&] { return StatusText(s, 1).find(listed) != std::wstring::npos; }, slowest, done);
    const long files = static_cast<long>(SendMessageW(s.app.Control(list), LVM_GETITEMCOUNT, 0, 0));
    std::printf("ui-gather %.3f %ld %.0f\n", seconds, files, slowest);
    if (done && job)
        done = TimeFolderJob(s, argv[3], files);
    if (done && shred)
        done = TimeShredJob(s, files);
    s.app.Close();
    return done ? 0 : 1;
}
