// The main window's menus and commands: the About box by its key, the
// owner-drawn popups, the launchers, the magnet and the transparency.
#include "tests/ui/main_window_support.h"

#include "res/resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <set>
#include <string>
#include <vector>

namespace {

using namespace mainwin;

void PressAltWith(WORD key)
{
    keybd_event(VK_MENU, 0, 0, 0);
    keybd_event(static_cast<BYTE>(key), 0, 0, 0);
    keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
}

// The accelerator reads the real Alt key state, so the keys are typed.
TEST(MainWindow, AltSlashOpensAboutWhileTheMainWindowHasTheFocus)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s));
    SetForegroundWindow(s.window);
    PressAltWith(VK_OEM_2); // "/" on the US layout
    HWND about = s.app.WaitForTopWindow(L"#32770");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(WindowText(about), L"About Quenzel");
    SaveScreenshot(about, L"about-box");
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(s.app.Close());
}

// The popup menu the program opened, once it has painted itself, kept as
// picture `name`; null when none opened.
HWND OpenedPopup(Started& s, const std::wstring& name)
{
    HWND popup = s.app.WaitForTopWindow(L"#32768");
    if (!popup)
        return nullptr;
    Sleep(300); // the popup paints itself after it appears
    SaveScreenshot(popup, name);
    return popup;
}

TEST(OptionsMenu, MagnetCommandStoresAndSnapsAtOnce)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s));
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const int height = 200;
    RECT proposed{100, work.bottom - 10 - height, 400, work.bottom - 10};
    RECT moved = proposed;
    SendMessageW(s.window, WM_MOVING, 0, reinterpret_cast<LPARAM>(&moved));
    EXPECT_EQ(moved.bottom, proposed.bottom); // magnet off: no snapping

    PostCommand(s.window, quenzel::CMD_MAGNET);
    ASSERT_TRUE(WaitUntil([&] { return IniText(s.folder, L"OPTIONS", L"Magnet") == L"1"; }));
    moved = proposed;
    SendMessageW(s.window, WM_MOVING, 0, reinterpret_cast<LPARAM>(&moved));
    EXPECT_EQ(moved.bottom, work.bottom);
    EXPECT_EQ(moved.top, work.bottom - height);
    EXPECT_TRUE(s.app.Close());

    // The check mark is built from the stored flag.
    Started again;
    ASSERT_NO_FATAL_FAILURE(Start(again, "[OPTIONS]\nMagnet=1\n"));
    PostMessageW(again.window, WM_SYSCOMMAND, SC_KEYMENU, L'o');
    EXPECT_NE(OpenedPopup(again, L"menu-options-magnet-checked"), nullptr);
    EXPECT_TRUE(again.app.Close());
}

BYTE Alpha(HWND window)
{
    BYTE alpha = 0;
    if (!(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED))
        return 0;
    GetLayeredWindowAttributes(window, nullptr, &alpha, nullptr);
    return alpha;
}

HWND OpenTransparency(Started& s)
{
    PostCommand(s.window, quenzel::CMD_TRANSPARENCY);
    return s.app.WaitForTopWindow(L"#32770");
}

void DragSlider(HWND dialog, int position)
{
    HWND slider = GetDlgItem(dialog, IDC_TRANSPARENT_SLIDER);
    SendMessageW(slider, TBM_SETPOS, TRUE, position);
    SendMessageW(dialog, WM_HSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(slider));
}

TEST(TransparencyDialog, PreviewsStoresOnOkAndRestoresOnCancel)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s));
    HWND dialog = OpenTransparency(s);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), L"Transparency: 95 percent");
    EXPECT_EQ(SendMessageW(GetDlgItem(dialog, IDC_TRANSPARENT_SLIDER), TBM_GETPOS, 0, 0), 95);
    EXPECT_EQ(SendMessageW(GetDlgItem(dialog, IDC_TRANSPARENT_PREVIEW), PBM_GETPOS, 0, 0), 95);
    SaveScreenshot(dialog, L"transparency-dialog");
    DragSlider(dialog, 30);
    EXPECT_EQ(Alpha(s.window), 76);
    EXPECT_EQ(WindowText(dialog), L"Transparency: 30 percent");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(Alpha(s.window), 242);
    EXPECT_EQ(IniText(s.folder, L"OPTIONS", L"Transparent"), L"<none>");

    dialog = OpenTransparency(s);
    ASSERT_NE(dialog, nullptr);
    DragSlider(dialog, 50);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(IniText(s.folder, L"OPTIONS", L"Transparent"), L"50");
    EXPECT_EQ(Alpha(s.window), 127);
    EXPECT_TRUE(s.app.Close());
}

TEST(TransparencyDialog, LongTitleIsCutAtItsBuffer)
{
    ProgramFolder folder;
    ASSERT_TRUE(folder.Ready());
    const std::string longTitle(60, 'x');
    ASSERT_TRUE(WriteFileBytes(folder.Path() + L"\\lang\\default.lng",
                               Utf16File(Widen("[INTERFACE]\r\n65=" + longTitle + " %i\r\n"))));
    App app;
    ASSERT_TRUE(app.Start(folder));
    HWND window = app.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    PostCommand(window, quenzel::CMD_TRANSPARENCY);
    HWND dialog = app.WaitForTopWindow(L"#32770");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), std::wstring(49, L'x'));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(app.Close());
}

TEST(MainWindow, StoredOpacityOfLettersTurnsLayeringOff)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[OPTIONS]\nTransparent=abc\n"));
    EXPECT_EQ(GetWindowLongW(s.window, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_TRUE(s.app.Close());
}

// Processes started by Quenzel with the given executable name (any name
// when null), leaving out those already ended.
std::vector<DWORD> ChildProcesses(DWORD parent, const wchar_t* exe, const std::set<DWORD>& ended)
{
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ParentProcessID == parent && (!exe || lstrcmpiW(entry.szExeFile, exe) == 0)
            && !ended.count(entry.th32ProcessID))
            found.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return found;
}

// Ends a started tool by its id; it would otherwise outlive the test and
// hold the test run's output open.
void EndProcess(DWORD id, std::set<DWORD>& ended)
{
    ended.insert(id);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process)
        return; // already gone
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

TEST(Launchers, StartNotepadAndTheRegistryEditor)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s));
    std::set<DWORD> ended;
    struct Case {
        int command;
        const wchar_t* exe;
    };
    for (const Case c : {Case{quenzel::CMD_NEW_TEXT, L"notepad.exe"}, Case{quenzel::CMD_EDIT_WIN_INI, L"notepad.exe"},
                         Case{quenzel::CMD_REGEDIT, L"regedit.exe"}}) {
        PostCommand(s.window, c.command);
        std::vector<DWORD> children;
        EXPECT_TRUE(WaitUntil([&] {
            children = ChildProcesses(s.app.ProcessId(), c.exe, ended);
            return !children.empty();
        })) << c.command;
        for (DWORD child : children)
            EndProcess(child, ended);
    }
    for (DWORD child : ChildProcesses(s.app.ProcessId(), nullptr, ended))
        EndProcess(child, ended);
    EXPECT_TRUE(s.app.Close());
}

// Opens each popup of the menu bar by its mnemonic and keeps a picture.
TEST(OwnerMenu, EveryPopupOpensOwnerDrawn)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[OPTIONS]\nOnTop=0\nClearFont=1\n"));
    struct Popup {
        wchar_t key;
        const wchar_t* name;
    };
    for (const Popup p : {Popup{L'f', L"file"}, Popup{L'e', L"edit"}, Popup{L't', L"brannock-tools"},
                          Popup{L'm', L"ms-tools"}, Popup{L'o', L"options"}, Popup{L'h', L"help"}}) {
        PostMessageW(s.window, WM_SYSCOMMAND, SC_KEYMENU, p.key);
        HWND popup = OpenedPopup(s, std::wstring(L"menu-") + p.name);
        ASSERT_NE(popup, nullptr) << Narrow(p.name);
        PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(popup); })) << Narrow(p.name);
    }
    // The page list doubles as the context menu; an entry switches the page.
    RECT r{};
    GetWindowRect(s.window, &r);
    PostMessageW(s.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(s.window), MAKELPARAM(r.left + 300, r.top + 200));
    HWND popup = OpenedPopup(s, L"menu-context-page-list");
    ASSERT_NE(popup, nullptr);
    for (int i = 0; i < 4; ++i)
        PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitUntil([&] { return SelectedTab(s.app) == 3; }));
    EXPECT_TRUE(s.app.Close());
}

} // namespace
