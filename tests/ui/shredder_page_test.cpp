// The shredder page driven from the outside: the list filled and trimmed,
// files shredded from the last row to the first, and what cannot be shredded
// kept, in the list and on the disk.
#include "tests/ui/crypt_ui_support.h"

#include "crypt/folder_page_ids.h"
#include "shredder/shredder_page_ids.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace cryptui;
using quenzel::IDC_FOLDER_SOURCE;
using quenzel::IDC_SHRED_ADD_FILE;
using quenzel::IDC_SHRED_ADD_FOLDER;
using quenzel::IDC_SHRED_CLEAR;
using quenzel::IDC_SHRED_DELETE;
using quenzel::IDC_SHRED_LIST;
using quenzel::IDC_SHRED_PROGRESS;
using quenzel::IDC_SHRED_REMOVE;
using quenzel::IDC_SHRED_START;

const std::vector<int> ListButtons{IDC_SHRED_ADD_FILE, IDC_SHRED_ADD_FOLDER, IDC_SHRED_CLEAR, IDC_SHRED_REMOVE,
                                   IDC_SHRED_START};

// A picture for the gallery, once a new box has drawn its text.
void SavePicture(HWND window, const wchar_t* name)
{
    constexpr DWORD PaintTime = 300;
    Sleep(PaintTime);
    EXPECT_TRUE(SaveWindowPicture(window, HostToWindowsPath(QUENZEL_SCREENSHOT_DIR), name)) << Narrow(name);
}

int RowCount(Started& s)
{
    return static_cast<int>(SendMessageW(s.app.Control(IDC_SHRED_LIST), LVM_GETITEMCOUNT, 0, 0));
}

std::wstring Cell(Started& s, int row, int column)
{
    return ListViewText(s.app.Process(), s.app.Control(IDC_SHRED_LIST), row, column);
}

std::wstring CountText(int rows)
{
    return std::to_wstring(rows) + L" file(s) in the list";
}

// Waits until the list work has ended with `rows` rows listed.
::testing::AssertionResult Settled(Started& s, int rows)
{
    if (WaitUntil([&] { return AllEnabled(s, ListButtons) && StatusText(s, 1) == CountText(rows); }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << RowCount(s) << " rows, status \"" << Narrow(StatusText(s, 1)) << "\"";
}

void AddFile(Started& s, const std::wstring& path)
{
    PostCommand(s.window, IDC_SHRED_ADD_FILE);
    ChooseInFileDialog(s.app, path);
}

void AddFolder(Started& s, const std::wstring& folder)
{
    PostCommand(s.window, IDC_SHRED_ADD_FOLDER);
    ChooseInFolderPicker(s.app, folder);
}

void SelectRows(Started& s, const std::vector<int>& rows)
{
    RemoteBuffer remote(s.app.Process(), sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    ASSERT_TRUE(remote.Write(&item, sizeof item));
    for (int row : rows)
        SendMessageW(s.app.Control(IDC_SHRED_LIST), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(remote.Address()));
}

// A click on a column's header, as a user makes it.
void ClickColumn(Started& s, int column)
{
    HWND header = reinterpret_cast<HWND>(SendMessageW(s.app.Control(IDC_SHRED_LIST), LVM_GETHEADER, 0, 0));
    RECT box{};
    RemoteBuffer remote(s.app.Process(), sizeof box);
    ASSERT_TRUE(header
                && SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column),
                                reinterpret_cast<LPARAM>(remote.Address())));
    ASSERT_TRUE(remote.Read(&box, sizeof box));
    const LPARAM inside = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    PostMessageW(header, WM_LBUTTONUP, 0, inside);
}

// The question answered by an Enter pressed on it, as a user in a hurry does.
constexpr int EnterKey = 0;

// Starts the job and answers its question with a button or EnterKey.
void StartShredding(Started& s, int answer)
{
    // The question names the number of files and whether they will be deleted.
    const LRESULT rows = SendMessageW(s.app.Control(IDC_SHRED_LIST), LVM_GETITEMCOUNT, 0, 0);
    const bool deletes = SendMessageW(s.app.Control(IDC_SHRED_DELETE), BM_GETCHECK, 0, 0) == BST_CHECKED;
    const std::wstring question = L"Overwrite the " + std::to_wstring(rows) + L" listed file(s) with zeros"
        + (deletes ? L" and then delete them?" : L"? They are not deleted");
    PostCommand(s.window, IDC_SHRED_START);
    HWND box = WaitForDialogWith(s.app, MessageTextId);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(FieldText(GetDlgItem(box, MessageTextId)).rfind(question, 0), 0u);
    for (int id : ListButtons)
        EXPECT_FALSE(IsWindowEnabled(s.app.Control(id))) << "button " << id << " while a job runs";
    SavePicture(box, L"shredder-confirm");
    if (answer != EnterKey) {
        ASSERT_TRUE(Press(box, answer));
        return;
    }
    PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
}

void MakeFiles(const std::wstring& folder, const std::vector<std::pair<std::wstring, std::string>>& files)
{
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    for (const auto& [name, content] : files) {
        if (name.find(L'\\') != std::wstring::npos)
            CreateDirectoryW((folder + L"\\" + name.substr(0, name.find(L'\\'))).c_str(), nullptr);
        ASSERT_TRUE(WriteFileBytes(folder + L"\\" + name, content));
    }
}

TEST(ShredderPage, FillsTrimsAndClearsTheList)
{
    Started s;
    Start(s, nullptr, ShredderPageCommand);
    EXPECT_EQ(StatusText(s, 1), L"Add the files you want to shred");
    const std::wstring root = s.Work() + L"\\Tree";
    MakeFiles(root, {{L"a.txt", std::string(999, 'a')}, {L"sub\\b.txt", ""}});
    AddFile(s, root + L"\\a.txt");
    ASSERT_TRUE(Settled(s, 1));
    AddFile(s, root + L"\\a.txt");
    ASSERT_TRUE(Settled(s, 2));
    AddFolder(s, root);
    ASSERT_TRUE(Settled(s, 4));
    EXPECT_EQ(FieldText(s.app.Control(IDC_FOLDER_SOURCE)), root) << "the folder page's field";
    const std::vector<std::wstring> expected{root + L"\\a.txt", root + L"\\a.txt", root + L"\\a.txt",
                                             root + L"\\sub\\b.txt"};
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(Cell(s, row, 0), expected[static_cast<size_t>(row)]) << row;
    EXPECT_EQ(Cell(s, 0, 1), L"999 bytes");
    EXPECT_EQ(Cell(s, 3, 1), L"0 bytes");
    SavePicture(s.window, L"shredder-filled-list");

    PostCommand(s.window, IDC_SHRED_REMOVE);
    EXPECT_EQ(DismissMessageBox(s.app).rfind(L"No file is selected.", 0), 0u);
    ASSERT_TRUE(Settled(s, 4));

    // Sorted by a column's text, up and then down (one direction flag for
    // every click); the selected row stays selected.
    SelectRows(s, {3});
    for (const auto& [column, bRow] : {std::pair{1, 0}, std::pair{1, 3}}) {
        ASSERT_NO_FATAL_FAILURE(ClickColumn(s, column));
        EXPECT_TRUE(WaitUntil([&] { return Cell(s, bRow, 0) == root + L"\\sub\\b.txt"; })) << bRow;
        EXPECT_EQ(Cell(s, bRow, 1), L"0 bytes");
        EXPECT_EQ(SendMessageW(s.app.Control(IDC_SHRED_LIST), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED),
                  bRow);
    }
    SelectRows(s, {0, 1, 3});
    PostCommand(s.window, IDC_SHRED_REMOVE);
    ASSERT_TRUE(Settled(s, 1));
    EXPECT_EQ(Cell(s, 0, 0), root + L"\\a.txt");

    AddFolder(s, root + L"\\sub");
    ASSERT_TRUE(Settled(s, 2));
    PostCommand(s.window, IDC_SHRED_CLEAR);
    ASSERT_TRUE(Settled(s, 0));
    PostCommand(s.window, IDC_SHRED_START);
    EXPECT_EQ(DismissMessageBox(s.app).rfind(L"The list is empty.", 0), 0u);
    EXPECT_TRUE(s.app.Close());
}

// A language file is a format string only where it takes exactly the
// arguments the program passes: hostile conversions fall back to English.
TEST(ShredderPage, HostileLanguageTextsFallBackToEnglish)
{
    Started s;
    const std::wstring hostile = L"\xFEFF[LANGUAGE]\r\n1=Hostile\r\n[INTERFACE]\r\n"
                                 L"121=%s%s%s%s%s%n\r\n136=%08x %08x %08x\r\n";
    const std::string bytes(reinterpret_cast<const char*>(hostile.data()), hostile.size() * sizeof(wchar_t));
    ASSERT_TRUE(WriteFileBytes(s.folder.Path() + L"\\lang\\default.lng", bytes));
    Start(s, nullptr, ShredderPageCommand);
    EXPECT_EQ(StatusText(s, 1), L"%08x %08x %08x") << "a text that is never formatted shows as it is";
    PostCommand(s.window, IDC_SHRED_CLEAR);
    EXPECT_TRUE(Settled(s, 0));
    EXPECT_TRUE(s.app.Close());
}

TEST(ShredderPage, ZeroesWhatItCanAndKeepsLockedAndReadOnlyFiles)
{
    Started s;
    Start(s, nullptr, ShredderPageCommand);
    const std::wstring root = s.Work() + L"\\Mixed";
    const std::string secret = RandomBytes(2 * 1024 * 1024 + 5, 3);
    MakeFiles(root,
              {{L"secret.bin", secret}, {L"empty.txt", ""}, {L"locked.txt", "locked"}, {L"readonly.txt", "read-only"}});
    ASSERT_TRUE(SetFileAttributesW((root + L"\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    AddFolder(s, root);
    ASSERT_TRUE(Settled(s, 4));

    ASSERT_NO_FATAL_FAILURE(StartShredding(s, EnterKey));
    ASSERT_TRUE(Settled(s, 4));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(root + L"\\secret.bin", bytes));
    EXPECT_TRUE(bytes == secret) << "Enter answers No, which changes nothing";

    HANDLE held = CreateFileW((root + L"\\locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    StartShredding(s, IDYES);
    EXPECT_EQ(DismissMessageBox(s.app),
              L"2 file(s) shredded; 2 file(s) not shredded stay in the list.\n"
              L"1 in use by another program: close it, then shred them again.\n"
              L"1 read-only: remove the read-only attribute to shred them.");
    ASSERT_TRUE(Settled(s, 2));
    CloseHandle(held);
    ASSERT_TRUE(ReadFileBytes(root + L"\\secret.bin", bytes));
    EXPECT_TRUE(bytes == std::string(secret.size(), '\0')) << "kept with its length, only zeros";
    EXPECT_TRUE(FileExists(root + L"\\empty.txt"));
    ASSERT_TRUE(ReadFileBytes(root + L"\\locked.txt", bytes));
    EXPECT_EQ(bytes, "locked");
    ASSERT_TRUE(ReadFileBytes(root + L"\\readonly.txt", bytes));
    EXPECT_EQ(bytes, "read-only");
    std::vector<std::wstring> left{Cell(s, 0, 0), Cell(s, 1, 0)};
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::wstring>{root + L"\\locked.txt", root + L"\\readonly.txt"}));
    HWND bar = s.app.Control(IDC_SHRED_PROGRESS);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), SendMessageW(bar, PBM_GETRANGE, FALSE, 0)) << "the bar stands full";
    SetFileAttributesW((root + L"\\readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(s.app.Close());
}

TEST(ShredderPage, DeleteOptionSurvivesARestartAndDeletesOnlyWhatWasOverwritten)
{
    Started s;
    Start(s, nullptr, ShredderPageCommand);
    EXPECT_NE(SendMessageW(s.app.Control(IDC_SHRED_DELETE), BM_GETCHECK, 0, 0), BST_CHECKED);
    PostClick(s.app.Control(IDC_SHRED_DELETE));
    ASSERT_TRUE(
        WaitUntil([&] { return SendMessageW(s.app.Control(IDC_SHRED_DELETE), BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    ASSERT_TRUE(s.app.Close());
    EXPECT_EQ(GetPrivateProfileIntW(L"OPTIONS", L"DeleteShredded", -1, s.folder.IniPath().c_str()), 1);

    ASSERT_TRUE(s.app.Start(s.folder));
    s.window = s.app.WaitForMainWindow();
    ASSERT_NE(s.window, nullptr);
    PostCommand(s.window, ShredderPageCommand);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(s.app.Control(IDC_SHRED_LIST)) != FALSE; }));
    EXPECT_EQ(SendMessageW(s.app.Control(IDC_SHRED_DELETE), BM_GETCHECK, 0, 0), BST_CHECKED);

    const std::wstring root = s.Work() + L"\\Gone";
    MakeFiles(root, {{L"one.txt", "one"}, {L"two.bin", RandomBytes(70000, 4)}, {L"empty.txt", ""}});
    AddFolder(s, root);
    ASSERT_TRUE(Settled(s, 3));
    wchar_t drive[8] = L"";
    const bool smallDrive = GetEnvironmentVariableW(L"QUENZEL_SMALL_DRIVE", drive, 8) != 0;
    const std::wstring full = std::wstring(drive) + L"\\shred-" + std::to_wstring(GetCurrentProcessId());
    if (smallDrive) {
        // Larger than the whole volume: its zeros cannot all be written.
        ASSERT_TRUE(WriteFileBytes(full, "not zeroed"));
        HANDLE file = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        LARGE_INTEGER end{};
        end.QuadPart = 4 * 1024 * 1024;
        EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
        CloseHandle(file);
        AddFile(s, full);
        ASSERT_TRUE(Settled(s, 4));
    }
    StartShredding(s, IDYES);
    if (HWND box = WaitForDialogWith(s.app, MessageTextId))
        SavePicture(box, L"shredder-report");
    const std::wstring report = DismissMessageBox(s.app);
    if (!smallDrive) {
        EXPECT_EQ(report, L"3 file(s) shredded; 0 file(s) not shredded stay in the list.");
    } else {
        EXPECT_EQ(report.rfind(L"3 file(s) shredded; 1 file(s) not shredded stay in the list.\n"
                               L"1 could not be overwritten, written through to the disk or deleted "
                               L"completely. They may already be partly overwritten",
                               0),
                  0u)
            << Narrow(report);
        ASSERT_TRUE(Settled(s, 1));
        EXPECT_EQ(Cell(s, 0, 0), full);
        EXPECT_TRUE(FileExists(full)) << "a file not fully overwritten is never deleted";
        DeleteFileW(full.c_str());
    }
    ASSERT_TRUE(Settled(s, smallDrive ? 1 : 0));
    for (const wchar_t* name : {L"\\one.txt", L"\\two.bin", L"\\empty.txt"})
        EXPECT_FALSE(FileExists(root + name)) << Narrow(name);
    EXPECT_TRUE(s.app.Close());
}

} // namespace

// Closing the window during a shred job asks; Yes stops the job after the
// file it is shredding: the files before it are gone, those after it are
// untouched, and the report counts them.
TEST(ShredderPage, ClosedDuringAJobStopsAfterTheCurrentFile)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[OPTIONS]\nDeleteShredded=1\n", ShredderPageCommand));
    const std::wstring root = s.Work() + L"\\Stop";
    ASSERT_NO_FATAL_FAILURE(MakeFiles(root, {{L"first.txt", "first"}, {L"last.txt", "last"}}));
    // Shredded from the last row up: last.txt, then the big file, during which the window is closed.
    ASSERT_TRUE(MakeSparseFile(root + L"\\big.bin", 512LL << 20));
    int rows = 0;
    for (const wchar_t* name : {L"first.txt", L"big.bin", L"last.txt"}) {
        ASSERT_NO_FATAL_FAILURE(AddFile(s, root + L"\\" + name));
        ASSERT_TRUE(Settled(s, ++rows));
    }
    ASSERT_NO_FATAL_FAILURE(StartShredding(s, IDYES));
    ASSERT_TRUE(WaitUntil([&] { return !FileExists(root + L"\\last.txt"); }));

    PostMessageW(s.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(AnswerQuestion(s.app, IDYES).rfind(L"A task is still running.", 0), 0u);
    const std::wstring report = DismissMessageBox(s.app);
    EXPECT_EQ(report.rfind(L"The shredding was stopped: 2 of 3 file(s) were shredded", 0), 0u) << Narrow(report);
    DWORD code = 0;
    ASSERT_TRUE(s.app.WaitForExit(code));
    EXPECT_FALSE(FileExists(root + L"\\big.bin"));
    std::string first;
    EXPECT_TRUE(ReadFileBytes(root + L"\\first.txt", first) && first == "first");
}
