// The help button on each tab, F1 and the Help menu open the help file of the
// language file at the right topic. The system's help viewer is replaced
// for this test by one that records each call.
#include "tests/support/ui_driver.h"

#include "app/command_ids.h"
#include "base/control_ids.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace uitest;

constexpr int HelpButtonId = quenzel::IDC_HELPBUTTON;
constexpr int FirstPageCommand = quenzel::CMD_FIRST_PAGE; // Brannock Tools: tab 0
constexpr int HelpContentsCommand = quenzel::CMD_HELP_CONTENTS;
constexpr int HelpFaqCommand = quenzel::CMD_HELP_FAQ;
constexpr int HelpTipsCommand = quenzel::CMD_HELP_TIPS;
constexpr unsigned HelpContextCommand = 15; // HH_HELP_CONTEXT
constexpr wchar_t HelpViewerKey[] = L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

// Registers the recording viewer for the test's lifetime, then puts the
// system's registration back.
class RecordingHelpViewer {
public:
    RecordingHelpViewer()
    {
        RegCreateKeyExW(HKEY_CLASSES_ROOT, HelpViewerKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
        wchar_t old[MAX_PATH] = L"";
        DWORD size = sizeof old;
        hadValue_ =
            RegQueryValueExW(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        old_ = old;
        const std::wstring viewer = HostToWindowsPath(QUENZEL_FAKE_HELP_VIEWER);
        registered_ = RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(viewer.c_str()),
                                     static_cast<DWORD>((viewer.size() + 1) * sizeof(wchar_t)))
            == ERROR_SUCCESS;
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        log_ = std::wstring(temp) + L"quenzel-help-" + std::to_wstring(GetCurrentProcessId()) + L".log";
        DeleteFileW(log_.c_str());
        SetEnvironmentVariableW(L"QUENZEL_HELP_LOG", log_.c_str());
    }
    ~RecordingHelpViewer()
    {
        if (hadValue_)
            RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(old_.c_str()),
                           static_cast<DWORD>((old_.size() + 1) * sizeof(wchar_t)));
        else
            RegDeleteValueW(key_, nullptr);
        RegCloseKey(key_);
        DeleteFileW(log_.c_str());
    }
    bool Registered() const { return registered_; }

    // The calls recorded so far, one line each.
    std::vector<std::wstring> Calls() const
    {
        std::string bytes;
        std::vector<std::wstring> lines;
        if (!ReadFileBytes(log_, bytes))
            return lines;
        std::wistringstream in(Widen(bytes));
        for (std::wstring line; std::getline(in, line);) {
            if (!line.empty() && line.back() == L'\r')
                line.pop_back();
            if (!line.empty())
                lines.push_back(line[0] == 0xFEFF ? line.substr(1) : line);
        }
        return lines;
    }

private:
    HKEY key_ = nullptr;
    bool hadValue_ = false;
    bool registered_ = false;
    std::wstring old_;
    std::wstring log_;
};

TEST(Help, ButtonOnEachTabAndHelpMenuOpenTheirTopics)
{
    RecordingHelpViewer viewer;
    ASSERT_TRUE(viewer.Registered());
    ProgramFolder folder;
    ASSERT_TRUE(folder.Ready());
    App app;
    ASSERT_TRUE(app.Start(folder));
    HWND window = app.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    const std::wstring helpFile = folder.Path() + L"\\help\\quenzel.chm";
    auto expectCall = [&](size_t count, int context, const char* what) {
        ASSERT_TRUE(WaitUntil([&] { return viewer.Calls().size() >= count; })) << what;
        const std::vector<std::wstring> calls = viewer.Calls();
        ASSERT_EQ(calls.size(), count) << what;
        EXPECT_EQ(calls.back(), helpFile + L"|" + std::to_wstring(HelpContextCommand) + L"|" + std::to_wstring(context))
            << what;
    };

    const int tabContexts[] = {1, 7, 8, 9, 10, 11};
    size_t calls = 0;
    for (int tab = 0; tab < 6; ++tab) {
        PostCommand(window, FirstPageCommand + tab);
        ASSERT_TRUE(
            WaitUntil([&] { return SendMessageW(app.Control(quenzel::IDC_TABS), TCM_GETCURSEL, 0, 0) == tab; }));
        PostMouseClick(app.Control(HelpButtonId));
        expectCall(++calls, tabContexts[tab], "help button");
    }
    PostCommand(window, HelpContentsCommand);
    expectCall(++calls, 1, "Help, contents");
    PostCommand(window, HelpFaqCommand);
    expectCall(++calls, 3, "Help, questions");
    PostCommand(window, HelpTipsCommand);
    expectCall(++calls, 2, "Help, tips");
    // F1 from a control of the page opens the page's topic, as the button does.
    PostCommand(window, FirstPageCommand + 1);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(app.Control(quenzel::IDC_TABS), TCM_GETCURSEL, 0, 0) == 1; }));
    PostMessageW(app.Control(quenzel::IDC_TABS), WM_KEYDOWN, VK_F1, 0);
    PostMessageW(app.Control(quenzel::IDC_TABS), WM_KEYUP, VK_F1, 0);
    expectCall(++calls, tabContexts[1], "F1");
    EXPECT_TRUE(app.Close());
}

} // namespace
