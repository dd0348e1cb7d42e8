// Files from Explorer: dropped on each page, and named on the command line
// after the tab digit, as Send To passes them.
#include "tests/ui/crypt_ui_support.h"

#include "crypt/file_page_ids.h"
#include "crypt/folder_page_ids.h"
#include "shredder/shredder_page_ids.h"

#include <commctrl.h>
#include <shlobj.h>
#include <gtest/gtest.h>

namespace {

using namespace cryptui;
using quenzel::IDC_FILE_SOURCE;
using quenzel::IDC_FOLDER_DECRYPT;
using quenzel::IDC_FOLDER_ENCRYPT;
using quenzel::IDC_FOLDER_LIST;
using quenzel::IDC_FOLDER_SOURCE;
using quenzel::IDC_SHRED_LIST;

// A WM_DROPFILES as Explorer sends it: a DROPFILES block with wide paths,
// ended by an empty one. GlobalAlloc memory belongs to one process, so the
// block is written into the program's own memory; the lParam-free message
// carries its address, which the program's DragQueryFile reads as a fixed
// (pointer) handle. The program releases it with DragFinish; the pages are
// left to the process's end.
bool PostDrop(App& app, const std::vector<std::wstring>& paths)
{
    std::wstring names;
    for (const std::wstring& path : paths)
        names += path + L'\0';
    names += L'\0';
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    const size_t size = sizeof header + names.size() * sizeof(wchar_t);
    void* block = VirtualAllocEx(app.Process(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    SIZE_T written = 0;
    return block && WriteProcessMemory(app.Process(), block, &header, sizeof header, &written)
        && WriteProcessMemory(app.Process(), static_cast<char*>(block) + sizeof header, names.data(),
                              names.size() * sizeof(wchar_t), &written)
        && PostMessageW(app.Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
}

int Rows(Started& s, int list)
{
    return static_cast<int>(SendMessageW(s.app.Control(list), LVM_GETITEMCOUNT, 0, 0));
}

// A work folder with a.txt, b.txt and sub\c.txt.
struct WorkFiles {
    std::wstring a, b, sub, c;
};

void MakeWorkFiles(Started& s, WorkFiles& w)
{
    w = {s.Work() + L"\\a.txt", s.Work() + L"\\b.txt", s.Work() + L"\\sub", s.Work() + L"\\sub\\c.txt"};
    ASSERT_TRUE(CreateDirectoryW(s.Work().c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CreateDirectoryW(w.sub.c_str(), nullptr));
    for (const std::wstring* file : {&w.a, &w.b, &w.c})
        ASSERT_TRUE(WriteFileBytes(*file, "twelve bytes"));
}

::testing::AssertionResult InfoBecomes(Started& s, const std::wstring& text)
{
    if (WaitUntil([&] { return StatusText(s, 1) == text; }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "status \"" << Narrow(StatusText(s, 1)) << "\"";
}

TEST(Drop, EachPageTakesWhatItCanAndNamesWhatItCannot)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "", FilePageCommand));
    WorkFiles w;
    ASSERT_NO_FATAL_FAILURE(MakeWorkFiles(s, w));

    ASSERT_TRUE(PostDrop(s.app, {w.a}));
    EXPECT_TRUE(InfoBecomes(s, L"Size: 12 bytes, file: a.txt"));
    EXPECT_EQ(FieldText(s.app.Control(IDC_FILE_SOURCE)), w.a);
    for (const std::vector<std::wstring>& wrong : {std::vector<std::wstring>{w.a, w.b}, {w.sub}}) {
        ASSERT_TRUE(PostDrop(s.app, wrong));
        EXPECT_TRUE(InfoBecomes(s, L"Drop one file on this page."));
        PostCommand(s.window, FilePageCommand);
    }
    EXPECT_EQ(FieldText(s.app.Control(IDC_FILE_SOURCE)), w.a);

    PostCommand(s.window, FolderPageCommand);
    ASSERT_TRUE(PostDrop(s.app, {w.a}));
    EXPECT_TRUE(InfoBecomes(s, L"Drop one folder on this page."));
    ASSERT_TRUE(PostDrop(s.app, {s.Work()}));
    EXPECT_TRUE(InfoBecomes(s, L"3 file(s) found in \"" + s.Work().substr(3) + L"\""));
    EXPECT_EQ(Rows(s, IDC_FOLDER_LIST), 3);
    EXPECT_EQ(FieldText(s.app.Control(IDC_FOLDER_SOURCE)), s.Work());

    PostCommand(s.window, ShredderPageCommand);
    ASSERT_TRUE(PostDrop(s.app, {w.a, w.sub, s.Work() + L"\\gone.txt"}));
    EXPECT_EQ(DismissMessageBox(s.app), L"1 dropped file(s) cannot be opened and were not added to the list.");
    EXPECT_TRUE(InfoBecomes(s, L"2 file(s) in the list"));
    EXPECT_EQ(ListViewText(s.app.Process(), s.app.Control(IDC_SHRED_LIST), 1, 0), w.c);

    PostCommand(s.window, SlotPageCommand);
    ASSERT_TRUE(PostDrop(s.app, {w.a}));
    EXPECT_TRUE(InfoBecomes(s, L"Files can be dropped on the file, folder and shredder pages."));
    EXPECT_TRUE(s.app.Close());
}

// A drop while a folder job runs is refused with the busy text, after the
// job's first file too, and Encrypt and Decrypt stay disabled until the job
// has ended (the state line is "Ready" again, before they come back).
TEST(Drop, AFolderDroppedDuringAFolderJobIsRefused)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "", FolderPageCommand));
    TypeOwnPassword(s);
    // A small file, listed first, then one large enough to keep the job running.
    const std::wstring root = s.Work() + L"\\Job";
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr) && CreateDirectoryW((root + L"\\sub").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(root + L"\\first.txt", "first") && MakeSparseFile(root + L"\\sub\\big.bin", 1LL << 29));
    ASSERT_TRUE(PostDrop(s.app, {root}));
    ASSERT_TRUE(InfoBecomes(s, L"2 file(s) found in \"Job\""));
    ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, IDC_FOLDER_ENCRYPT, nullptr, s.Work() + L"\\Out"));
    ASSERT_TRUE(WaitUntil([&] { return FileExists(s.Work() + L"\\Out\\sub\\big.bin"); }));

    ASSERT_TRUE(PostDrop(s.app, {root}));
    bool refused = false;
    bool buttonsBack = false;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const bool enabled = IsWindowEnabled(s.app.Control(IDC_FOLDER_ENCRYPT))
                || IsWindowEnabled(s.app.Control(IDC_FOLDER_DECRYPT));
            refused = refused || StatusText(s, 1) == L"Busy: drop again when the running work has ended.";
            const bool ended = StatusText(s, 0) == L"Ready";
            buttonsBack = buttonsBack || (enabled && !ended);
            return ended;
        },
        Millis{120000}));
    EXPECT_TRUE(refused);
    EXPECT_FALSE(buttonsBack) << "Encrypt or Decrypt was enabled while the job ran";
    EXPECT_EQ(DismissMessageBox(s.app).rfind(L"All 2 file(s) listed from \"Job\"", 0), 0u);
    EXPECT_TRUE(s.app.Close());
}

TEST(CommandLine, PathsArePlacedOnTheTabAsADropWouldPlaceThem)
{
    Started s;
    ASSERT_TRUE(s.folder.Ready());
    WorkFiles w;
    ASSERT_NO_FATAL_FAILURE(MakeWorkFiles(s, w));
    const std::wstring missing = s.Work() + L"\\not here.txt";
    struct Case {
        std::wstring arguments;
        int tab;
        int field;
        std::wstring fieldText;
        std::wstring message;
    };
    const Case cases[] = {
        {L"1 \"" + w.a + L"\"", 1, IDC_FILE_SOURCE, w.a, L""},
        {L"\"" + w.a + L"\"", 1, IDC_FILE_SOURCE, w.a, L""},
        {L"2 \"" + s.Work() + L"\"", 2, IDC_FOLDER_SOURCE, s.Work(), L""},
        {L"4 \"" + w.b + L"\" \"" + w.sub + L"\"", 4, 0, L"", L""},
        {L"1 \"" + missing + L"\"", 1, IDC_FILE_SOURCE, L"", L"Quenzel cannot find:\n" + missing},
        {L"x3", 0, 0, L"", L"Quenzel cannot find:\n" + s.folder.Path() + L"\\x3"},
    };
    for (const Case& c : cases) {
        App& app = s.app;
        ASSERT_TRUE(app.Start(s.folder, c.arguments)) << Narrow(c.arguments);
        s.window = app.WaitForMainWindow();
        ASSERT_NE(s.window, nullptr) << Narrow(c.arguments);
        if (!c.message.empty()) {
            EXPECT_EQ(DismissMessageBox(app), c.message);
        }
        EXPECT_EQ(SelectedTab(s.app), c.tab) << Narrow(c.arguments);
        if (c.field) {
            EXPECT_TRUE(WaitUntil([&] { return FieldText(app.Control(c.field)) == c.fieldText; }))
                << Narrow(c.arguments) << ": " << Narrow(FieldText(app.Control(c.field)));
        }
        if (c.tab == 2 || c.tab == 4) {
            const int list = c.tab == 2 ? IDC_FOLDER_LIST : IDC_SHRED_LIST;
            EXPECT_TRUE(WaitUntil([&] { return Rows(s, list) == (c.tab == 2 ? 3 : 2); })) << Narrow(c.arguments);
        }
        EXPECT_TRUE(app.Close());
        app.Kill();
    }
}

} // namespace
