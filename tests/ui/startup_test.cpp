// Start-up of the real program: window, title, place, command line, paths.
#include "tests/support/ui_driver.h"

#include "app/options_page_ids.h"
#include "base/control_ids.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

using namespace uitest;

constexpr int TabControlId = quenzel::IDC_TABS;
constexpr int StatusBarId = quenzel::IDC_STATUSBAR;

TEST(Startup, ShowsTheMainWindowCentredAndEndsWithExitCodeZero)
{
    ProgramFolder folder;
    ASSERT_TRUE(folder.Ready());
    App app;
    ASSERT_TRUE(app.Start(folder));
    HWND window = app.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), ProgramTitle());
    EXPECT_EQ(ClassNameOf(window), L"QUENZEL");

    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_NE(style & WS_MINIMIZEBOX, 0);

    RECT r{};
    ASSERT_TRUE(GetWindowRect(window, &r));
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(r.left, screenW / 2 - width / 2);
    EXPECT_EQ(r.top, screenH / 2 - height / 2 - 3);
    EXPECT_EQ(width, 792 + 2 * GetSystemMetrics(SM_CXEDGE) + 2 * GetSystemMetrics(SM_CXFOCUSBORDER));

    // The language file beside the program is read: the idle state text.
    HWND status = GetDlgItem(window, StatusBarId);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(StatusBarText(app.Process(), status, 0), L"Ready");

    ASSERT_TRUE(app.Close());
    DWORD code = 1;
    ASSERT_TRUE(app.WaitForExit(code));
    EXPECT_EQ(code, 0u);
}

TEST(Startup, LeadingDigitSelectsThatTab)
{
    ProgramFolder folder;
    ASSERT_TRUE(folder.Ready());
    struct Case {
        const wchar_t* args;
        int tab;
    };
    for (const Case c : {Case{L"3", 3}, Case{L"5", 5}, Case{L"6", 0}, Case{L"9", 0}}) {
        App app;
        ASSERT_TRUE(app.Start(folder, c.args));
        ASSERT_NE(app.WaitForMainWindow(), nullptr);
        EXPECT_EQ(SelectedTab(app), c.tab) << Narrow(c.args);
        EXPECT_EQ(TabText(app.Process(), app.Control(TabControlId), 3), L"Slots");
        EXPECT_TRUE(app.Close());
    }
}

// At log-on nobody answers a message: whatever fails (a settings file that
// cannot be read, a drive that cannot be mapped), the run ends without a
// window and says so only by its exit code.
TEST(Startup, LogonSwitchEndsWithoutAWindowOrMessage)
{
    struct Case {
        const wchar_t* args;
        const char* ini;
        bool settingsFolder;
        DWORD code;
    };
    for (const Case c :
         {Case{L"-x", nullptr, false, 0}, Case{L"-X", nullptr, false, 0}, Case{L"some words -x", nullptr, false, 0},
          Case{L"2 -X", nullptr, false, 0}, Case{L"-x", nullptr, true, 1},
          Case{L"-x", "[FOLDERDRIVES]\n0=1|W: C:\\no such folder\n", false, 1}}) {
        ProgramFolder folder;
        ASSERT_TRUE(folder.Ready());
        if (c.settingsFolder) {
            ASSERT_TRUE(CreateDirectoryW(folder.IniPath().c_str(), nullptr));
        }
        if (c.ini) {
            ASSERT_TRUE(folder.WriteIni(c.ini));
        }
        App app;
        ASSERT_TRUE(app.Start(folder, c.args));
        DWORD code = 2;
        ASSERT_TRUE(app.WaitForExit(code)) << Narrow(c.args) << (c.ini ? c.ini : "") << " waits for an answer";
        EXPECT_EQ(code, c.code) << Narrow(c.args) << (c.ini ? c.ini : "");
        EXPECT_EQ(app.WaitForMainWindow(Millis(0)), nullptr);
        if (!c.settingsFolder && !c.ini) {
            EXPECT_FALSE(FileExists(folder.IniPath())) << "the log-on start makes no settings file";
        }
    }
}

// A settings path the program cannot open (a folder, a file another program
// holds shut) is named as what it is; the program goes on with its defaults.
TEST(Startup, SettingsFileThatCannotBeOpenedIsNamedAndDefaultsAreUsed)
{
    constexpr int EncPathField = quenzel::IDC_OPTIONS_ENC_PATH;
    for (const bool folderInItsPlace : {true, false}) {
        ProgramFolder folder;
        ASSERT_TRUE(folder.Ready());
        HANDLE held = INVALID_HANDLE_VALUE;
        if (folderInItsPlace) {
            ASSERT_TRUE(CreateDirectoryW(folder.IniPath().c_str(), nullptr));
        } else {
            ASSERT_TRUE(folder.WriteIni("[MAIN]\nEncPath=c:\\stored\n"));
            held = CreateFileW(folder.IniPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        App app;
        ASSERT_TRUE(app.Start(folder));
        HWND box = WaitForDialogWith(app, MessageTextId);
        ASSERT_NE(box, nullptr) << folderInItsPlace;
        const std::wstring text = WindowText(GetDlgItem(box, MessageTextId));
        EXPECT_NE(text.find(L"Quenzel.ini\ncannot be read or written"), std::wstring::npos) << Narrow(text);
        EXPECT_NE(text.find(L"default settings"), std::wstring::npos) << Narrow(text);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_NE(app.WaitForMainWindow(), nullptr);
        wchar_t field[64] = L"<unread>";
        SendMessageW(app.Control(EncPathField), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(field));
        EXPECT_STREQ(field, L"") << folderInItsPlace;
        EXPECT_TRUE(app.Close());
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
    }
}

TEST(Startup, StoredOpacityIsAppliedAtStart)
{
    ProgramFolder folder;
    ASSERT_TRUE(folder.Ready());
    struct Case {
        const char* ini;
        bool layered;
        int alpha;
    };
    for (const Case c : {Case{"", true, 242}, Case{"[OPTIONS]\nTransparent=100\n", true, 255},
                         Case{"[OPTIONS]\nTransparent=0\n", false, 0}, Case{"[OPTIONS]\nTransparent=256\n", false, 0},
                         Case{"[OPTIONS]\nTransparent=30\n", true, 76}}) {
        ASSERT_TRUE(folder.WriteIni(c.ini));
        App app;
        ASSERT_TRUE(app.Start(folder));
        HWND window = app.WaitForMainWindow();
        ASSERT_NE(window, nullptr);
        const bool layered = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
        EXPECT_EQ(layered, c.layered) << c.ini;
        if (c.layered) {
            BYTE alpha = 0;
            ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, nullptr));
            EXPECT_EQ(alpha, c.alpha) << c.ini;
        }
        EXPECT_TRUE(app.Close());
    }
}

// A settings file the profile functions would read as ANSI, losing every
// setting (UTF-16 without a byte-order mark) or its names beyond ASCII
// (UTF-8), is converted at start, once; the original stays as a copy.
TEST(Startup, SettingsFileInAnotherTextFormIsConvertedOnce)
{
    constexpr int AddEncCheckBox = quenzel::IDC_OPTIONS_ADD_ENC; // MAIN 1
    constexpr int EncPathField = quenzel::IDC_OPTIONS_ENC_PATH;
    const std::wstring encPath = L"C:\\D\u00E4t\u00E4 \u20AC";
    const std::wstring text = L"[MAIN]\r\n1=1\r\nEncPath=" + encPath + L"\r\n";
    const std::string utf16 = Utf16File(text).substr(2); // without its byte-order mark
    const std::string utf8 = "[MAIN]\r\n1=1\r\nEncPath=" + Narrow(encPath) + "\r\n";
    for (const std::string& original : {utf16, utf8}) {
        ProgramFolder folder;
        ASSERT_TRUE(folder.Ready());
        ASSERT_TRUE(WriteFileBytes(folder.IniPath(), original));
        for (int start = 0; start < 2; ++start) {
            App app;
            ASSERT_TRUE(app.Start(folder));
            ASSERT_NE(app.WaitForMainWindow(), nullptr);
            EXPECT_EQ(SendMessageW(app.Control(AddEncCheckBox), BM_GETCHECK, 0, 0), BST_CHECKED) << start;
            wchar_t field[64] = L"";
            SendMessageW(app.Control(EncPathField), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(field));
            EXPECT_EQ(field, encPath) << start;
            EXPECT_TRUE(app.Close());
        }
        std::string converted, backup;
        ASSERT_TRUE(ReadFileBytes(folder.IniPath(), converted));
        EXPECT_TRUE(converted == Utf16File(text));
        ASSERT_TRUE(ReadFileBytes(folder.IniPath() + L".bak", backup));
        EXPECT_TRUE(backup == original);
        EXPECT_FALSE(FileExists(folder.Path() + L"\\Quenzel.ini.1.bak")) << "converted once only";
    }
}

} // namespace
