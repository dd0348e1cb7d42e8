// The program as a screen reader meets it, from another process: every
// program button through MSAA (name, role, state, default action) in both
// languages, and its default action; the status line announced when the
// page changes.
#include "tests/support/ui_driver.h"

#include "app/command_ids.h"
#include "base/control_ids.h"
#include "base/tabs.h"
#include "crypt/file_page_ids.h"
#include "drives/drives_page_ids.h"
#include "shredder/shredder_page_ids.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <string>
#include <vector>

namespace {

using namespace uitest;

// COM for this thread, as a screen reader has it.
class Apartment {
public:
    Apartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~Apartment()
    {
        if (ok_)
            CoUninitialize();
    }
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;
    bool Ok() const { return ok_; }

private:
    bool ok_;
};

struct Reading {
    HRESULT found = E_FAIL;
    std::wstring name, description, action;
    LONG role = 0;
    LONG state = 0;
};

std::wstring TakeText(BSTR text)
{
    std::wstring taken = text ? text : L"";
    SysFreeString(text);
    return taken;
}

VARIANT Self()
{
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

// What a screen reader reads of a window's client object.
Reading Read(HWND control)
{
    Reading reading;
    IAccessible* object = nullptr;
    reading.found = AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                               reinterpret_cast<void**>(&object));
    if (FAILED(reading.found) || !object)
        return reading;
    const VARIANT self = Self();
    BSTR text = nullptr;
    if (SUCCEEDED(object->get_accName(self, &text)))
        reading.name = TakeText(text);
    text = nullptr;
    if (SUCCEEDED(object->get_accDescription(self, &text)))
        reading.description = TakeText(text);
    text = nullptr;
    if (SUCCEEDED(object->get_accDefaultAction(self, &text)))
        reading.action = TakeText(text);
    VARIANT value;
    VariantInit(&value);
    if (SUCCEEDED(object->get_accRole(self, &value)) && value.vt == VT_I4)
        reading.role = value.lVal;
    VariantInit(&value);
    if (SUCCEEDED(object->get_accState(self, &value)) && value.vt == VT_I4)
        reading.state = value.lVal;
    object->Release();
    return reading;
}

std::vector<HWND> ProgramButtons(HWND window)
{
    std::vector<HWND> buttons;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (ClassNameOf(child) == L"ButtonExClass")
            buttons.push_back(child);
    return buttons;
}

std::wstring CaptionShown(HWND button)
{
    wchar_t caption[256] = L"";
    SendMessageW(button, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(caption));
    std::wstring shown;
    for (const wchar_t* c = caption; *c; ++c)
        if (*c != L'&')
            shown += *c;
    return shown;
}

struct Language {
    const wchar_t* file;
    const wchar_t* press;
    const wchar_t* encrypt;
    const wchar_t* shred;
    const wchar_t* mount;
    const wchar_t* help; // the help button has no caption: its tooltip names it
};
constexpr Language Languages[] = {
    {L"english.lng", L"Press", L"Encrypt", L"Shred", L"Mount", L"Help for this page"},
    {L"german.lng", L"Drücken", L"Verschlüsseln", L"Schreddern", L"Verbinden", L"Hilfe zu dieser Seite"},
};

struct Started {
    ProgramFolder folder;
    App app;
    HWND window = nullptr;
};

void Start(Started& s, const wchar_t* language)
{
    ASSERT_TRUE(s.folder.Ready());
    ASSERT_TRUE(s.folder.CopyFromBuild(std::wstring(L"lang\\") + language));
    ASSERT_TRUE(CopyFileW((s.folder.Path() + L"\\lang\\" + language).c_str(),
                          (s.folder.Path() + L"\\lang\\default.lng").c_str(), FALSE));
    ASSERT_TRUE(s.app.Start(s.folder));
    s.window = s.app.WaitForMainWindow();
    ASSERT_NE(s.window, nullptr);
}

TEST(ScreenReader, EveryProgramButtonIsANamedPushButtonInBothLanguages)
{
    Apartment com;
    ASSERT_TRUE(com.Ok());
    for (const Language& language : Languages) {
        SCOPED_TRACE(Narrow(language.file));
        Started s;
        ASSERT_NO_FATAL_FAILURE(Start(s, language.file));
        const std::vector<HWND> buttons = ProgramButtons(s.window);
        ASSERT_GE(buttons.size(), 20u);
        for (HWND button : buttons) {
            SCOPED_TRACE(GetDlgCtrlID(button));
            const Reading reading = Read(button);
            ASSERT_EQ(reading.found, S_OK);
            EXPECT_EQ(reading.role, ROLE_SYSTEM_PUSHBUTTON);
            EXPECT_FALSE(reading.name.empty());
            const std::wstring caption = CaptionShown(button);
            if (!caption.empty()) {
                EXPECT_EQ(reading.name, caption);
            }
            EXPECT_EQ(reading.action, language.press);
            const bool enabled = IsWindowEnabled(button) != FALSE;
            EXPECT_EQ((reading.state & STATE_SYSTEM_UNAVAILABLE) != 0, !enabled);
            EXPECT_EQ((reading.state & STATE_SYSTEM_FOCUSABLE) != 0, enabled);
            EXPECT_EQ((reading.state & STATE_SYSTEM_INVISIBLE) != 0, !IsWindowVisible(button));
            EXPECT_EQ(reading.state & STATE_SYSTEM_PRESSED, 0);
        }
        const struct {
            int id;
            const wchar_t* name;
        } named[] = {{quenzel::IDC_FILE_ENCRYPT, language.encrypt},
                     {quenzel::IDC_SHRED_START, language.shred},
                     {quenzel::IDC_DRIVES_MOUNT, language.mount},
                     {quenzel::IDC_HELPBUTTON, language.help}};
        for (const auto& row : named)
            EXPECT_EQ(Read(s.app.Control(row.id)).name, row.name) << row.id;
        // The "..." buttons say what they choose.
        EXPECT_FALSE(Read(s.app.Control(quenzel::IDC_FILE_CHOOSE)).description.empty());
        EXPECT_TRUE(s.app.Close());
    }
}

TEST(ScreenReader, DefaultActionClicksWithoutWaitingForTheDialogItOpens)
{
    Apartment com;
    ASSERT_TRUE(com.Ok());
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, L"english.lng"));
    PostCommand(s.window, quenzel::CMD_FIRST_PAGE + quenzel::FilePageIndex);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(s.app.Control(quenzel::IDC_FILE_CHOOSE)) != FALSE; }));
    IAccessible* object = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(s.app.Control(quenzel::IDC_FILE_CHOOSE), static_cast<DWORD>(OBJID_CLIENT),
                                         IID_IAccessible, reinterpret_cast<void**>(&object)),
              S_OK);
    // The file chooser is modal: the call returns while it is open.
    EXPECT_EQ(object->accDoDefaultAction(Self()), S_OK);
    object->Release();
    HWND chooser = s.app.WaitForTopWindow(L"#32770");
    ASSERT_NE(chooser, nullptr);
    PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }));
    EXPECT_TRUE(s.app.Close());
}

// Name changes of windows of the program, as a screen reader hears of them.
std::vector<HWND>& NamesChanged()
{
    static std::vector<HWND> windows;
    return windows;
}

void CALLBACK HearNameChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    if (object == OBJID_CLIENT && child == CHILDID_SELF)
        NamesChanged().push_back(window);
}

bool Heard(HWND window)
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
    for (HWND changed : NamesChanged())
        if (changed == window)
            return true;
    return false;
}

TEST(ScreenReader, EachPageChangeAnnouncesTheStatusLine)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, L"english.lng"));
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, HearNameChange,
                                         s.app.ProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    HWND statusBar = s.app.Control(quenzel::IDC_STATUSBAR);
    for (int page : {quenzel::FilePageIndex, quenzel::ShredderPageIndex, quenzel::OptionsPageIndex}) {
        SCOPED_TRACE(page);
        NamesChanged().clear();
        PostCommand(s.window, quenzel::CMD_FIRST_PAGE + page);
        EXPECT_TRUE(WaitUntil([&] { return Heard(statusBar); }));
    }
    UnhookWinEvent(hook);
    EXPECT_TRUE(s.app.Close());
}

} // namespace
