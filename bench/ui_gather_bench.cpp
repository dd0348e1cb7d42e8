// The folder page's "..." button (or the shredder page's add folder button)
// timed from the outside: the real program lists a tree into its list, while
// this program checks that the window keeps answering. Prints
// "ui-gather <seconds> <files> <slowest answer ms>", then where the time
// went by the program's own account: "ui-gather-parts <walk> <row
// building> <sorting> <handing over> <appending>" in seconds (the walk,
// the row building and the handing over on the listing's thread; the
// sorting and the appending on the window's, beside them).
// With "job OUTPUT" the listed tree is then encrypted into OUTPUT by the
// folder page's job in the legacy format ("job OUTPUT strong": the strong
// format), with a password of the benchmark's own typed into the page and
// again into the confirmation; timed from the confirmation's OK to the
// report, a second line says "ui-job <seconds> <files> <slowest answer ms>".
// With "shred" the files are listed on the shredder page and shredded by its
// job (with the delete option on), timed from the
// question's Yes to the emptied list: "ui-shred <seconds> <files> <slowest>".
// A time is printed only for work that was done: every file of FOLDER in
// the list, every file encrypted into OUTPUT with its expected size, every
// file shredded away; otherwise the benchmark says what is missing and
// ends with 1.
//   ui_gather_bench FOLDER [shredder | job OUTPUT [strong] | shred]
#include "base/list_filler.h"
#include "bench/bench_password.h"
#include "crypt/folder_page_ids.h"
#include "engine/strong_format.h"
#include "shredder/shredder_page_ids.h"
#include "tests/ui/crypt_ui_support.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
using namespace cryptui;
constexpr UINT AnswerTimeoutMs = 5000;
constexpr auto LongestRun = std::chrono::minutes(10);
// Tries of the folder picker (each waits up to uitest::DefaultTimeout).
constexpr int PickerAttempts = 3;
// How many missing or wrong files a failed check names.
constexpr size_t NamedAtMost = 5;

// A file below a folder: its path from the folder on, and its size.
struct TreeFile {
    std::wstring relative;
    uint64_t size = 0;
    // By name, then size: a file of a wrong size differs from the one expected.
    bool operator<(const TreeFile& other) const
    {
        return relative != other.relative ? relative < other.relative : size < other.size;
    }
    bool operator==(const TreeFile& other) const { return relative == other.relative && size == other.size; }
};
using TreeFiles = std::vector<TreeFile>;

void AddFilesBelow(const std::wstring& root, const std::wstring& relative, TreeFiles& files)
{
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((root + relative + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring path = relative + L"\\" + entry.cFileName;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back({path, (uint64_t(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow});
        else if (wcscmp(entry.cFileName, L".") != 0 && wcscmp(entry.cFileName, L"..") != 0)
            AddFilesBelow(root, path, files);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

// Every file below `root` with its size, in name order; none for a folder
// that is missing.
TreeFiles FilesBelow(const std::wstring& root)
{
    TreeFiles files;
    AddFilesBelow(root, L"", files);
    std::sort(files.begin(), files.end());
    return files;
}

// Names up to NamedAtMost files of `files` that `others` lacks, with their
// size there and the size `others` gives the name, if any.
void NameFilesNotIn(const TreeFiles& files, const TreeFiles& others, const char* filesAre, const char* othersAre)
{
    TreeFiles lacking;
    std::set_difference(files.begin(), files.end(), others.begin(), others.end(), std::back_inserter(lacking));
    for (size_t i = 0; i < lacking.size() && i < NamedAtMost; ++i) {
        const auto at = std::lower_bound(others.begin(), others.end(), TreeFile{lacking[i].relative, 0});
        const std::string there =
            at != others.end() && at->relative == lacking[i].relative ? std::to_string(at->size) + " bytes" : "none";
        std::fprintf(stderr, "  %s: %s %llu bytes, %s %s\n", Narrow(lacking[i].relative).c_str(), filesAre,
                     static_cast<unsigned long long>(lacking[i].size), othersAre, there.c_str());
    }
}

// True when `found` holds exactly the files of `wanted`; else says which
// differ.
bool SameFiles(const TreeFiles& wanted, const TreeFiles& found, const std::wstring& where)
{
    if (wanted == found)
        return true;
    std::fprintf(stderr, "ui_gather_bench: %s holds %zu file(s), not the %zu expected:\n", Narrow(where).c_str(),
                 found.size(), wanted.size());
    NameFilesNotIn(wanted, found, "expected", "found");
    NameFilesNotIn(found, wanted, "found", "expected");
    return false;
}

// False after saying why.
bool Fail(const std::string& why)
{
    std::fprintf(stderr, "ui_gather_bench: %s\n", why.c_str());
    return false;
}

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

// Posts a job's command and gives its confirmation; null, after saying
// why, when a message came instead (a refused password, a missing key).
HWND OpenConfirmationOrRefusal(Started& s, int command)
{
    PostCommand(s.window, command);
    HWND confirmation = nullptr, message = nullptr;
    WaitUntil([&] {
        confirmation = WaitForDialogWith(s.app, ConfirmDestinationId, std::chrono::milliseconds(0));
        message = WaitForDialogWith(s.app, MessageTextId, std::chrono::milliseconds(0));
        return confirmation || message;
    });
    if (message) {
        Fail("the program refused the job: " + Narrow(FieldText(GetDlgItem(message, MessageTextId))));
        Press(message, IDOK);
        return nullptr;
    }
    if (!confirmation)
        Fail("no confirmation came for the job");
    return confirmation;
}

// Types the benchmark's password into the page, and again into the
// confirmation when it asks; false after saying why it could not.
bool TypePassword(Started& s, const std::wstring& password)
{
    HWND radio = s.app.Control(PasswordRadio);
    if (SendMessageW(radio, BM_GETCHECK, 0, 0) != BST_CHECKED)
        return Fail("the page keys with a key file, not a password");
    SetFieldText(s.app.Control(PasswordField), password);
    return FieldText(s.app.Control(PasswordField)) == password || Fail("the password field did not take the password");
}

// What a folder job writes for each file of the tree: the same names, the
// legacy format's output as large as its source, the strong one's larger.
TreeFiles EncryptedTree(TreeFiles files, bool strong)
{
    for (TreeFile& file : files)
        file.size = strong ? quenzel::StrongEncryptedSize(file.size) : file.size;
    return files;
}

// Encrypts the listed tree into `output` and prints the job's time; false,
// after saying why, when the job did not report every file done or did
// not write every file with its expected size.
bool TimeFolderJob(Started& s, const std::wstring& output, const TreeFiles& source, bool strong)
{
    if (!FilesBelow(output).empty())
        return Fail(Narrow(output) + " holds files before the job");
    const std::wstring password = Widen(bench::Password());
    if (!TypePassword(s, password))
        return false;
    HWND confirmation = OpenConfirmationOrRefusal(s, quenzel::IDC_FOLDER_ENCRYPT);
    if (!confirmation)
        return false;
    SetFieldText(GetDlgItem(confirmation, ConfirmDestinationId), output);
    if (HWND retype = GetDlgItem(confirmation, RetypeId))
        SetFieldText(retype, password);
    if (!Press(confirmation, IDOK))
        return Fail("the confirmation did not close");
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
    if (report)
        Press(report, IDOK);
    // The report of a job that did every file says "All n file(s) listed";
    // one that left files out says "n of m".
    if (text.rfind(L"All " + std::to_wstring(source.size()) + L" file(s) listed", 0) != 0)
        return Fail("the job's report: " + (finished ? Narrow(text) : std::string("none came")));
    if (!SameFiles(EncryptedTree(source, strong), FilesBelow(output), output))
        return false;
    std::printf("ui-job %.3f %zu %.0f\n", seconds, source.size(), slowest);
    return true;
}

// Shreds the listed files and prints the job's time; false, after saying
// why, when rows or files are left.
bool TimeShredJob(Started& s, const std::wstring& folder, size_t files)
{
    // The listing has ended when its buttons are given back.
    if (!WaitUntil([&] { return IsWindowEnabled(s.app.Control(quenzel::IDC_SHRED_START)) != FALSE; }))
        return Fail("the shredder page's start button stayed disabled");
    PostCommand(s.window, quenzel::IDC_SHRED_START);
    HWND question = WaitForDialogWith(s.app, MessageTextId);
    if (!question || !Press(question, IDYES))
        return Fail("the shredder asked no question to answer");
    double slowest = 0;
    bool finished = false;
    const double seconds = TimeUntil(
        s.window, [&] { return StatusText(s, 1) == L"0 file(s) in the list"; }, slowest, finished);
    if (!finished)
        return Fail("the shredder's list did not empty: " + Narrow(StatusText(s, 1)));
    if (!SameFiles({}, FilesBelow(folder), folder))
        return false;
    std::printf("ui-shred %.3f %zu %.0f\n", seconds, files, slowest);
    return true;
}

// The program's own account of the listing's time, from its main window:
// prints "ui-gather-parts <walk> <row building> <sorting> <handing over>
// <appending>" in seconds; false, after saying why, when it cannot be had.
bool PrintListingParts(HWND window)
{
    using quenzel::ListTimePart;
    std::printf("ui-gather-parts");
    for (ListTimePart part : {ListTimePart::Walk, ListTimePart::RowBuilding, ListTimePart::Sorting,
                              ListTimePart::HandingOver, ListTimePart::Appending}) {
        DWORD_PTR microseconds = 0;
        if (!SendMessageTimeoutW(window, quenzel::ListTimeMessage, static_cast<WPARAM>(part), 0, SMTO_NORMAL,
                                 AnswerTimeoutMs, &microseconds))
            return Fail("the main window did not answer for the listing's parts");
        std::printf(" %.3f", static_cast<double>(microseconds) / 1e6);
    }
    std::printf("\n");
    return true;
}

// Chooses `folder` in the open folder picker; true once the page shows it
// in its folder field (both pages do). Under load Wine's picker may take
// longer to reach a folder far from the drive's root than one try waits:
// it is tried again while the picker stays open.
bool ChooseFolder(Started& s, const std::wstring& folder)
{
    for (int attempt = 0; attempt < PickerAttempts; ++attempt) {
        ChooseInFolderPicker(s.app, folder);
        if (WaitUntil([&] { return FieldText(s.app.Control(quenzel::IDC_FOLDER_SOURCE)) == folder; }))
            return true;
        if (!s.app.WaitForTopWindow(L"#32770", std::chrono::milliseconds(0)))
            return false;
        std::fprintf(stderr, "ui_gather_bench: the folder picker is tried again\n");
    }
    return false;
}

// Lists `folder` on the page just started and prints the time; false,
// after saying why, when the list did not end with every file of it.
bool TimeListing(Started& s, const std::wstring& folder, bool shredder, size_t files)
{
    // The page's list, its button and the status text that ends the listing.
    const int list = shredder ? quenzel::IDC_SHRED_LIST : quenzel::IDC_FOLDER_LIST;
    const wchar_t* listed = shredder ? L"file(s) in the list" : L"file(s) found";
    // A loaded machine may show the page a little after the window.
    if (!WaitUntil([&] { return IsWindowVisible(s.app.Control(list)) != FALSE; }))
        return Fail("the page with the list did not come");
    PostCommand(s.window, shredder ? quenzel::IDC_SHRED_ADD_FOLDER : quenzel::IDC_FOLDER_GATHER);
    if (!ChooseFolder(s, folder))
        return Fail("the folder picker did not take " + Narrow(folder));
    double slowest = 0;
    bool done = false;
    const double seconds = TimeUntil(
        s.window, [&] { return StatusText(s, 1).find(listed) != std::wstring::npos; }, slowest, done);
    const size_t rows = static_cast<size_t>(SendMessageW(s.app.Control(list), LVM_GETITEMCOUNT, 0, 0));
    if (!done)
        return Fail("the listing did not end: " + Narrow(StatusText(s, 1)));
    if (rows != files)
        return Fail("the list holds " + std::to_string(rows) + " row(s) for " + std::to_string(files) + " file(s)");
    std::printf("ui-gather %.3f %zu %.0f\n", seconds, rows, slowest);
    return PrintListingParts(s.window);
}

// The settings the program starts with: the shred job deletes what it
// overwrote, as the engine's benchmark does; the folder job writes the
// format asked for.
const char* SettingsFor(bool shred, bool job, bool strong)
{
    if (shred)
        return "[OPTIONS]\nDeleteShredded=1\n";
    if (job)
        return strong ? "[OPTIONS]\nStrongFormat=1\n" : "[OPTIONS]\nStrongFormat=0\n";
    return nullptr;
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring mode = argc > 2 ? argv[2] : L"";
    const bool shred = argc == 3 && mode == L"shred";
    const bool shredder = shred || (argc == 3 && mode == L"shredder");
    const bool job = (argc == 4 || argc == 5) && mode == L"job";
    const bool strong = job && argc == 5 && std::wstring(argv[4]) == L"strong";
    if (argc != 2 && !shredder && !job) {
        std::fprintf(stderr, "usage: ui_gather_bench FOLDER [shredder | job OUTPUT [strong] | shred]\n");
        return 2;
    }
    if (job && argc == 5 && !strong) {
        std::fprintf(stderr, "ui_gather_bench: the job's format is \"strong\" or left out\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    // What the folder holds, taken before the program lists (and a shred
    // job removes) it: a tree of no files would time nothing.
    const TreeFiles source = FilesBelow(folder);
    if (source.empty()) {
        Fail(Narrow(folder) + " holds no file to list");
        return 1;
    }
    Started s;
    Start(s, SettingsFor(shred, job, strong), shredder ? ShredderPageCommand : FolderPageCommand);
    if (!s.window) {
        Fail("the program's window did not come");
        return 1;
    }
    bool done = TimeListing(s, folder, shredder, source.size());
    if (done && job)
        done = TimeFolderJob(s, argv[3], source, strong);
    if (done && shred)
        done = TimeShredJob(s, folder, source.size());
    s.app.Close();
    return done ? 0 : 1;
}
