// The folder-drives page and the "-x" start driven from the outside, with the
// test prefix's working subst.exe: letters checked through the system, files
// read through them, the settings file, the Run value and subst's own log.
#include "tests/support/ui_driver.h"

#include "app/command_ids.h"
#include "base/control_ids.h"
#include "drives/drives_page_ids.h"
#include "res/resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace quenzel;
using namespace uitest;

constexpr int StatusBarId = IDC_STATUSBAR;
constexpr int DrivesPageCommand = CMD_FIRST_PAGE + 5;
constexpr wchar_t RunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool LetterExists(wchar_t letter)
{
    return (GetLogicalDrives() >> (letter - L'A')) & 1;
}

std::wstring SystemSubst()
{
    wchar_t folder[MAX_PATH] = L"";
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\subst.exe";
}

// Runs the system's subst directly (to prepare or clean up a letter).
bool RunSubst(const std::wstring& arguments)
{
    std::wstring command = L"subst " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(SystemSubst().c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info))
        return false;
    const bool ended = WaitForSingleObject(info.hProcess, 10000) == WAIT_OBJECT_0;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return ended;
}

// A program folder with a work folder inside, the subst log of this test,
// and every letter the test may map removed again at the end.
struct Started {
    explicit Started(std::wstring testLetters)
        : letters(std::move(testLetters))
    {
        work = folder.Path() + L"\\Work";
        CreateDirectoryW(work.c_str(), nullptr);
        SetEnvironmentVariableW(L"QUENZEL_SUBST_LOG", LogPath().c_str());
    }
    ~Started()
    {
        app.Kill();
        for (wchar_t letter : letters)
            if (LetterExists(letter))
                RunSubst(std::wstring(1, letter) + L": /D");
        SetEnvironmentVariableW(L"QUENZEL_SUBST_LOG", nullptr);
        SetEnvironmentVariableW(L"QUENZEL_SUBST_GATE", nullptr);
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    std::wstring LogPath() const { return folder.Path() + L"\\subst-log.txt"; }
    // A folder of the work folder holding one file, "a.txt".
    std::wstring MakeFolder(const std::wstring& name, const std::string& content = "through the drive") const
    {
        const std::wstring path = work + L"\\" + name;
        CreateDirectoryW(path.c_str(), nullptr);
        WriteFileBytes(path + L"\\a.txt", content);
        return path;
    }

    ProgramFolder folder;
    App app;
    HWND window = nullptr;
    std::wstring work;
    std::wstring letters;
};

// subst's log: one line per call, its arguments separated by tabs.
std::vector<std::vector<std::wstring>> SubstCalls(const Started& s)
{
    std::string bytes;
    std::vector<std::vector<std::wstring>> calls;
    if (!ReadFileBytes(s.LogPath(), bytes))
        return calls;
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::wstring> arguments;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            arguments.push_back(Widen(field));
        calls.push_back(arguments);
    }
    return calls;
}

void WriteIni(Started& s, const std::wstring& drives, const std::wstring& more = L"")
{
    ASSERT_TRUE(s.folder.WriteIni(Narrow(L"[FOLDERDRIVES]\n" + drives + more)));
}

void StartOnPage(Started& s)
{
    ASSERT_TRUE(s.app.Start(s.folder));
    s.window = s.app.WaitForMainWindow();
    ASSERT_NE(s.window, nullptr);
    PostCommand(s.window, DrivesPageCommand);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(s.app.Control(IDC_DRIVES_LIST)) != FALSE; }));
}

std::wstring Text(HWND control)
{
    std::vector<wchar_t> text(32768, L'\0');
    SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

// Reports come after subst has run, which may take a while on a busy machine.
constexpr Millis AfterSubst{60000};

// Answers the next message box of the program with a button; its text.
std::wstring Answer(Started& s, int button, Millis timeout = DefaultTimeout)
{
    HWND box = WaitForDialogWith(s.app, MessageTextId, timeout);
    if (!box)
        return L"<no message box>";
    const std::wstring text = Text(GetDlgItem(box, MessageTextId));
    PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
    WaitUntil([&] { return !IsWindow(box); });
    return text;
}

HWND List(Started& s)
{
    return s.app.Control(IDC_DRIVES_LIST);
}

int RowCount(Started& s)
{
    return static_cast<int>(SendMessageW(List(s), LVM_GETITEMCOUNT, 0, 0));
}

std::wstring Cell(Started& s, int row, int column)
{
    return ListViewText(s.app.Process(), List(s), row, column);
}

bool Ticked(Started& s, int row)
{
    return SendMessageW(List(s), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK)
        == INDEXTOSTATEIMAGEMASK(2);
}

void SetRowState(Started& s, int row, UINT state, UINT mask)
{
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    RemoteBuffer remote(s.app.Process(), sizeof item);
    ASSERT_TRUE(remote.Write(&item, sizeof item));
    SendMessageW(List(s), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.Address()));
}

void Select(Started& s, int row)
{
    SetRowState(s, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

bool CommandsEnabled(Started& s)
{
    return IsWindowEnabled(s.app.Control(IDC_DRIVES_MOUNT)) && IsWindowEnabled(s.app.Control(IDC_DRIVES_NEW));
}

std::wstring IniValue(const Started& s, const wchar_t* section, const wchar_t* key)
{
    std::vector<wchar_t> text(32768, L'\0');
    GetPrivateProfileStringW(section, key, L"<none>", text.data(), 32768, s.folder.IniPath().c_str());
    return text.data();
}

bool ReadsThrough(wchar_t letter, const std::string& content)
{
    std::string bytes;
    return ReadFileBytes(std::wstring(1, letter) + L":\\a.txt", bytes) && bytes == content;
}

BOOL CALLBACK AddVisibleWindow(HWND window, LPARAM found)
{
    if (IsWindowVisible(window))
        reinterpret_cast<std::set<HWND>*>(found)->insert(window);
    return TRUE;
}

std::set<HWND> VisibleTopWindows()
{
    std::set<HWND> windows;
    EnumWindows(AddVisibleWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// A visible top-level window of another process that was not there before.
HWND NewWindowOfAnotherProcess(const Started& s, const std::set<HWND>& before)
{
    for (HWND window : VisibleTopWindows()) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (!before.count(window) && process != s.app.ProcessId())
            return window;
    }
    return nullptr;
}

// The shell's window that opened on the new drive, closed by its handle (its
// process may be the desktop's own and must live on).
bool CloseExploreWindow(const Started& s, const std::set<HWND>& before)
{
    HWND explorer = nullptr;
    if (!WaitUntil([&] { return (explorer = NewWindowOfAnotherProcess(s, before)) != nullptr; }))
        return false;
    PostMessageW(explorer, WM_CLOSE, 0, 0);
    return WaitUntil([&] { return !IsWindow(explorer); });
}

bool HasVisibleWindow(DWORD processId)
{
    for (HWND window : VisibleTopWindows()) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == processId)
            return true;
    }
    return false;
}

TEST(DrivesPage, ListShowsEachStateSortedAndSkipsMalformedEntries)
{
    Started s(L"");
    const std::wstring present = s.MakeFolder(L"Present");
    WriteIni(s,
             L"0=1|Y: " + s.work + L"\\Missing\n1=0|K: " + present + L"\n2=1|\n3=1|C: " + present
                 + L"\n4=0|K:\n5=x\n7=1|A: " + present + L"\n");
    StartOnPage(s);
    ASSERT_EQ(RowCount(s), 3);
    const wchar_t* expected[3][4] = {{L" [C:]", L"", L"C: ", L"Letter used by another drive"},
                                     {L" [K:]", L"", L"K: ", L"Not mounted"},
                                     {L" [Y:]", L"", L"Y: ", L"Not mounted, folder missing"}};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(Cell(s, row, 0), expected[row][0]);
        EXPECT_EQ(Cell(s, row, 2), expected[row][2] + Cell(s, row, 1));
        EXPECT_EQ(Cell(s, row, 3), expected[row][3]);
    }
    EXPECT_EQ(Cell(s, 1, 1), present);
    EXPECT_TRUE(Ticked(s, 0));
    EXPECT_FALSE(Ticked(s, 1));
    EXPECT_EQ(StatusBarText(s.app.Process(), s.app.Control(StatusBarId), 1), L"3 folder drive(s) defined");

    // Mount, Unmount and Remove with no row selected.
    for (int command : {IDC_DRIVES_MOUNT, IDC_DRIVES_UNMOUNT, IDC_DRIVES_REMOVE}) {
        PostCommand(s.window, command);
        EXPECT_EQ(Answer(s, IDOK).rfind(L"No folder drive is selected.", 0), 0u) << command;
        ASSERT_TRUE(WaitUntil([&] { return CommandsEnabled(s); }));
    }
    // The mount of a drive whose folder is missing names the folder; subst is not asked.
    Select(s, 2);
    PostCommand(s.window, IDC_DRIVES_MOUNT);
    Answer(s, IDYES);
    EXPECT_EQ(Answer(s, IDOK, AfterSubst),
              L"The folder drive [Y:] could not be mounted:\nThe folder " + s.work
                  + L"\\Missing does not exist or cannot be reached.");
    ASSERT_TRUE(WaitUntil([&] { return CommandsEnabled(s); }));
    EXPECT_TRUE(SubstCalls(s).empty());
    EXPECT_TRUE(s.app.Close());
}

TEST(DrivesPage, NewDriveOffersFreeLettersRefusesBadInputThenMountsAndUnmounts)
{
    Started s(L"K");
    const std::wstring folder = s.MakeFolder(L"With space");
    const std::wstring gate = s.folder.Path() + L"\\subst-gate";
    SetEnvironmentVariableW(L"QUENZEL_SUBST_GATE", gate.c_str());
    // A planted subst.exe beside the program is never started.
    ASSERT_TRUE(CopyFileW((SystemSubst().substr(0, SystemSubst().rfind(L'\\')) + L"\\hostname.exe").c_str(),
                          (s.folder.Path() + L"\\subst.exe").c_str(), FALSE));
    StartOnPage(s);
    PostCommand(s.window, IDC_DRIVES_NEW);
    HWND dialog = WaitForDialogWith(s.app, IDC_NEWDRIVE_LETTER);
    ASSERT_NE(dialog, nullptr);
    HWND combo = GetDlgItem(dialog, IDC_NEWDRIVE_LETTER);
    std::vector<std::wstring> offered;
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t entry[16] = L"";
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
        offered.push_back(entry);
    }
    std::vector<std::wstring> free;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
        if (!LetterExists(letter))
            free.push_back(std::wstring(L" [") + letter + L":]");
    EXPECT_EQ(offered, free);
    EXPECT_EQ(Text(combo), free.front());

    // The folder picker is the dialog's own: the dialog waits behind it.
    PostMessageW(dialog, WM_COMMAND, IDC_NEWDRIVE_BROWSE, 0);
    HWND picker = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        picker = FindWindowExW(nullptr, nullptr, L"#32770", nullptr);
        while (picker && GetWindow(picker, GW_OWNER) != dialog)
            picker = FindWindowExW(nullptr, picker, L"#32770", nullptr);
        return picker != nullptr;
    }));
    EXPECT_FALSE(IsWindowEnabled(dialog));
    PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(picker) && IsWindowEnabled(dialog); }));

    HWND folderField = GetDlgItem(dialog, IDC_NEWDRIVE_FOLDER);
    for (const wchar_t* noFolder : {L"", L"  \t "}) {
        SendMessageW(folderField, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(noFolder));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(Answer(s, IDOK), L"Please choose a folder first.") << Narrow(noFolder);
    }
    SendMessageW(folderField, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    for (const wchar_t* bad : {L"", L"1:", L"KL", L" [", L"Ω"}) {
        SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(bad));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(Answer(s, IDOK).rfind(L"This is not a drive letter.", 0), 0u) << Narrow(bad);
        EXPECT_TRUE(IsWindow(dialog));
    }
    SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"c"));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(Answer(s, IDOK).rfind(L"This drive letter is already in use.", 0), 0u);
    EXPECT_EQ(IniValue(s, L"FOLDERDRIVES", L"0"), L"<none>");
    EXPECT_TRUE(SubstCalls(s).empty());

    SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"k:"));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    // subst waits for the gate: the dialog answers meanwhile, its buttons
    // disabled and its Cancel ignored.
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(GetDlgItem(dialog, IDOK)); }));
    DWORD_PTR answered = 0;
    EXPECT_NE(SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &answered), 0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WriteFileBytes(gate, ""));
    EXPECT_EQ(Answer(s, IDOK, AfterSubst), L"The folder drive has been created and mounted.");
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(IniValue(s, L"FOLDERDRIVES", L"0"), L"1|K: " + folder);
    EXPECT_TRUE(ReadsThrough(L'K', "through the drive"));
    ASSERT_EQ(RowCount(s), 1);
    EXPECT_EQ(Cell(s, 0, 3), L"Mounted");
    auto calls = SubstCalls(s);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].size(), 2u) << "the folder with a space is one argument";
    EXPECT_EQ(calls[0][0], L"K:");

    Select(s, 0);
    PostCommand(s.window, IDC_DRIVES_UNMOUNT);
    EXPECT_EQ(Answer(s, IDYES).rfind(L"Unmount the folder drive [K:]?", 0), 0u);
    EXPECT_EQ(Answer(s, IDOK, AfterSubst), L"The folder drive has been unmounted.");
    EXPECT_FALSE(LetterExists(L'K'));
    calls = SubstCalls(s);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1], (std::vector<std::wstring>{L"K:", L"/D"}));
    EXPECT_TRUE(s.app.Close());
}

TEST(DrivesPage, MountOpensTheDriveAndRefusesASecondCommandMeanwhile)
{
    Started s(L"L");
    const std::wstring folder = s.MakeFolder(L"Ελληνικά φάκελος", "greek");
    WriteIni(s, L"0=0|L: " + folder + L"\n");
    StartOnPage(s);
    Select(s, 0);
    const std::set<HWND> before = VisibleTopWindows();
    PostCommand(s.window, IDC_DRIVES_MOUNT);
    HWND question = WaitForDialogWith(s.app, MessageTextId);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(Text(GetDlgItem(question, MessageTextId)), L"Mount the folder drive [L:]?");
    EXPECT_FALSE(IsWindowEnabled(s.app.Control(IDC_DRIVES_APPLY)));
    EXPECT_FALSE(IsWindowEnabled(s.app.Control(IDC_DRIVES_NEW)));
    EXPECT_EQ(Answer(s, IDYES), L"Mount the folder drive [L:]?");
    EXPECT_EQ(Answer(s, IDOK, AfterSubst).rfind(L"The folder drive has been mounted.", 0), 0u);
    EXPECT_TRUE(ReadsThrough(L'L', "greek"));
    EXPECT_TRUE(CloseExploreWindow(s, before));
    EXPECT_TRUE(WaitUntil([&] { return CommandsEnabled(s); }));
    EXPECT_EQ(Cell(s, 0, 3), L"Mounted");
    EXPECT_FALSE(Ticked(s, 0)) << "mounting does not tick";
    EXPECT_TRUE(s.app.Close());
}

TEST(DrivesPage, ALetterAnotherDriveHoldsIsNeitherShownMountedNorTakenOver)
{
    Started s(L"V");
    const std::wstring mine = s.MakeFolder(L"Mine", "mine"), other = s.MakeFolder(L"Other", "other");
    ASSERT_TRUE(RunSubst(L"V: " + other));
    ASSERT_TRUE(LetterExists(L'V'));
    WriteIni(s, L"0=1|V: " + mine + L"\n");
    DeleteFileW(s.LogPath().c_str());
    StartOnPage(s);
    ASSERT_EQ(RowCount(s), 1);
    EXPECT_EQ(Cell(s, 0, 3), L"Letter used by another drive");
    // Both name the holder: the folder substituted onto the letter.
    const std::wstring holder = L"another folder drive (" + other + L")";
    const std::pair<int, std::wstring> refusals[] = {
        {IDC_DRIVES_MOUNT,
         L"The folder drive [V:] could not be mounted:\nIts drive letter is used by " + holder + L"."},
        {IDC_DRIVES_UNMOUNT, L"The drive letter of this folder drive is used by " + holder + L".\n"},
        {IDC_DRIVES_APPLY, L"Not every folder drive could be mounted or unmounted."}};
    for (const auto& [command, report] : refusals) {
        Select(s, 0); // each command reloads the list
        PostCommand(s.window, command);
        Answer(s, IDYES);
        const std::wstring text = Answer(s, IDOK, AfterSubst);
        EXPECT_EQ(text.rfind(report, 0), 0u) << command << ": " << Narrow(text);
        ASSERT_TRUE(WaitUntil([&] { return CommandsEnabled(s); }));
    }
    EXPECT_TRUE(SubstCalls(s).empty());
    EXPECT_TRUE(ReadsThrough(L'V', "other"));

    // Enter on the removal question keeps the drive.
    Select(s, 0);
    PostCommand(s.window, IDC_DRIVES_REMOVE);
    HWND question = WaitForDialogWith(s.app, MessageTextId);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(GetWindowLongW(GetDlgItem(question, IDNO), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    Answer(s, IDNO);
    ASSERT_TRUE(WaitUntil([&] { return CommandsEnabled(s); }));
    EXPECT_EQ(RowCount(s), 1);
    EXPECT_TRUE(s.app.Close());
}

TEST(DrivesPage, ApplyMapsTickedAndUnmapsUntickedRowsRemoveRenumbers)
{
    Started s(L"MNP");
    const std::wstring m = s.MakeFolder(L"M"), n = s.MakeFolder(L"N"), p = s.MakeFolder(L"P");
    ASSERT_TRUE(RunSubst(L"N: " + n));
    ASSERT_TRUE(LetterExists(L'N'));
    WriteIni(s, L"0=1|P: " + p + L"\n1=0|N: " + n + L"\n2=1|M: " + m + L"\n");
    DeleteFileW(s.LogPath().c_str());
    StartOnPage(s);
    ASSERT_EQ(RowCount(s), 3);
    SetRowState(s, 2, INDEXTOSTATEIMAGEMASK(1), LVIS_STATEIMAGEMASK); // untick P

    // "No" stores the ticks all the same and maps nothing.
    PostCommand(s.window, IDC_DRIVES_APPLY);
    Answer(s, IDNO);
    ASSERT_TRUE(WaitUntil([&] { return CommandsEnabled(s); }));
    EXPECT_EQ(IniValue(s, L"FOLDERDRIVES", L"2"), L"0|P: " + p);
    EXPECT_EQ(IniValue(s, L"FOLDERDRIVES", L"0"), L"1|M: " + m);
    EXPECT_TRUE(SubstCalls(s).empty());

    SetRowState(s, 2, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK); // tick P again
    PostCommand(s.window, IDC_DRIVES_APPLY);
    EXPECT_EQ(Answer(s, IDYES).rfind(L"The ticks in the list have been saved.", 0), 0u);
    EXPECT_EQ(Answer(s, IDOK, AfterSubst).rfind(L"The folder drives have been applied.", 0), 0u);
    const auto calls = SubstCalls(s);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0][0], L"P:");
    EXPECT_EQ(calls[1], (std::vector<std::wstring>{L"N:", L"/D"}));
    EXPECT_EQ(calls[2][0], L"M:");
    EXPECT_TRUE(ReadsThrough(L'M', "through the drive"));
    EXPECT_TRUE(ReadsThrough(L'P', "through the drive"));
    EXPECT_FALSE(LetterExists(L'N'));
    EXPECT_EQ(Cell(s, 2, 3), L"Mounted");

    // Closed while Remove asks: the window waits for the command, which
    // does all its work, and then goes.
    Select(s, 0);
    PostCommand(s.window, IDC_DRIVES_REMOVE);
    ASSERT_NE(WaitForDialogWith(s.app, MessageTextId), nullptr);
    PostMessageW(s.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(Answer(s, IDYES), L"Remove the folder drive [M:]?");
    ASSERT_NE(WaitForDialogWith(s.app, MessageTextId, AfterSubst), nullptr);
    EXPECT_EQ(RowCount(s), 2);
    EXPECT_EQ(Answer(s, IDOK), L"The folder drive has been removed.");
    EXPECT_FALSE(LetterExists(L'M'));
    EXPECT_EQ(IniValue(s, L"FOLDERDRIVES", L"0"), L"0|N: " + n);
    EXPECT_EQ(IniValue(s, L"FOLDERDRIVES", L"1"), L"1|P: " + p);
    EXPECT_EQ(IniValue(s, L"FOLDERDRIVES", L"2"), L"<none>");
    DWORD exitCode = 0;
    EXPECT_TRUE(s.app.WaitForExit(exitCode));
}

TEST(DrivesPage, LogonOptionWritesTheQuotedRunValueAndRemovesIt)
{
    Started s(L"");
    StartOnPage(s);
    HWND option = s.app.Control(IDC_DRIVES_LOGON);
    auto runValue = [] {
        wchar_t data[1024] = L"";
        DWORD size = sizeof data;
        const LSTATUS got = RegGetValueW(HKEY_CURRENT_USER, RunKey, L"Quenzel", RRF_RT_REG_SZ, nullptr, data, &size);
        return got == ERROR_SUCCESS ? std::wstring(data) : std::wstring(L"<none>");
    };
    PostClick(option);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(option, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    EXPECT_EQ(IniValue(s, L"OPTIONS", L"StartUp_FD"), L"1");
    EXPECT_EQ(runValue(), L"\"" + s.folder.ExePath() + L"\" -x");
    PostClick(option);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(option, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
    EXPECT_EQ(IniValue(s, L"OPTIONS", L"StartUp_FD"), L"0");
    EXPECT_EQ(runValue(), L"<none>");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, RunKey, L"Quenzel");
    EXPECT_TRUE(s.app.Close());
}

// A drive the log-on start cannot mount is logged beside the settings file
// with the reason, and the page says so at its first showing afterwards only.
TEST(LogonStart, ADriveNotMountedIsLoggedAndThePageSaysSoOnce)
{
    Started s(L"W");
    WriteIni(s, L"0=1|W: " + s.work + L"\\Missing\n");
    ASSERT_TRUE(s.app.Start(s.folder, L"-x"));
    DWORD exitCode = 0;
    ASSERT_TRUE(s.app.WaitForExit(exitCode, AfterSubst));
    EXPECT_EQ(exitCode, 1u);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(s.folder.Path() + L"\\Quenzel.log", bytes));
    const std::wstring log(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    EXPECT_NE(log.find(L"\r\nThe folder drive [W:] could not be mounted: The folder " + s.work
                       + L"\\Missing does not exist or cannot be reached.\r\n"),
              std::wstring::npos)
        << Narrow(log);

    auto infoIs = [&](const std::wstring& text) {
        return WaitUntil([&] { return StatusBarText(s.app.Process(), s.app.Control(StatusBarId), 1) == text; });
    };
    ASSERT_NO_FATAL_FAILURE(StartOnPage(s));
    EXPECT_TRUE(infoIs(L"Last log-on start: 1 folder drive(s) not mounted (see Quenzel.log)"));
    PostCommand(s.window, DrivesPageCommand - 1);
    PostCommand(s.window, DrivesPageCommand);
    EXPECT_TRUE(infoIs(L"1 folder drive(s) defined"));
    EXPECT_TRUE(s.app.Close());
    ASSERT_NO_FATAL_FAILURE(StartOnPage(s));
    EXPECT_TRUE(infoIs(L"1 folder drive(s) defined")) << "shown once";
    EXPECT_TRUE(s.app.Close());
}

TEST(LogonStart, MapsOnlyTickedDrivesFromTheLastLetterWithoutAWindow)
{
    Started s(L"RST");
    const std::wstring r = s.MakeFolder(L"R"), t = s.MakeFolder(L"T t");
    WriteIni(s, L"0=1|R: " + r + L"\n1=0|S: " + r + L"\n2=1|T: " + t + L"\n3=1|\n");
    ASSERT_TRUE(s.app.Start(s.folder, L"-x"));
    bool windowShown = false;
    ASSERT_TRUE(WaitUntil(
        [&] {
            windowShown = windowShown || HasVisibleWindow(s.app.ProcessId());
            return WaitForSingleObject(s.app.Process(), 0) == WAIT_OBJECT_0;
        },
        AfterSubst));
    EXPECT_FALSE(windowShown);
    DWORD exitCode = 1;
    ASSERT_TRUE(s.app.WaitForExit(exitCode));
    EXPECT_EQ(exitCode, 0u);
    const auto calls = SubstCalls(s);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].size(), 2u) << "the folder with a space is one argument";
    EXPECT_EQ(calls[0][0], L"T:");
    EXPECT_EQ(calls[1][0], L"R:");
    EXPECT_TRUE(ReadsThrough(L'R', "through the drive"));
    EXPECT_TRUE(ReadsThrough(L'T', "through the drive"));
    EXPECT_FALSE(LetterExists(L'S'));
}

} // namespace
