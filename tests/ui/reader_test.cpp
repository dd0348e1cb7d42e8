// The program as a screen reader meets it, from another process: every
// program button through MSAA in both languages, and its default action.
// Where accessible objects do not cross processes, the program's button
// control is read in this process instead.
#include "tests/ui/crypt_ui_support.h"

#include "base/process.h"
#include "controls/button_ex.h"
#include "drives/drives_page_ids.h"
#include "shredder/shredder_page_ids.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

using namespace cryptui;

struct Reading {
    std::wstring name, description, action;
    LONG role = -1, state = -1;
};

Reading ReadObject(IAccessible* o, bool doDefaultAction)
{
    Reading r;
    VARIANT self{}, role{}, state{};
    self.vt = VT_I4; // CHILDID_SELF
    BSTR texts[3] = {};
    o->get_accName(self, &texts[0]);
    o->get_accDescription(self, &texts[1]);
    o->get_accDefaultAction(self, &texts[2]);
    std::wstring* out[] = {&r.name, &r.description, &r.action};
    for (int i = 0; i < 3; ++i) {
        *out[i] = texts[i] ? texts[i] : L"";
        SysFreeString(texts[i]);
    }
    r.role = SUCCEEDED(o->get_accRole(self, &role)) ? role.lVal : -1;
    r.state = SUCCEEDED(o->get_accState(self, &state)) ? state.lVal : -1;
    if (doDefaultAction && o->accDoDefaultAction(self) != S_OK)
        r.action.clear();
    return r;
}

// The control's object as a screen reader gets it, through the system.
Reading Read(HWND control, bool doDefaultAction = false)
{
    IAccessible* o = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&o))))
        return Reading{};
    const Reading r = ReadObject(o, doDefaultAction);
    o->Release();
    return r;
}

// The program started on the file page with `language` as its default.lng.
void StartIn(Started& s, const wchar_t* language)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ASSERT_TRUE(s.folder.UseLanguage(language));
    ASSERT_NO_FATAL_FAILURE(Start(s, nullptr, FilePageCommand));
}

struct Language {
    const wchar_t* file;
    const wchar_t* press;
    const wchar_t* names[4]; // of NamedButtons; the help button is named by its tooltip
};
constexpr int NamedButtons[] = {quenzel::IDC_FILE_ENCRYPT, quenzel::IDC_SHRED_START, quenzel::IDC_DRIVES_MOUNT,
                                quenzel::IDC_HELPBUTTON};
constexpr Language Languages[] = {
    {L"english.lng", L"Press", {L"Encrypt", L"Shred", L"Mount", L"Help for this page"}},
    {L"german.lng", L"Drücken", {L"Verschlüsseln", L"Schreddern", L"Verbinden", L"Hilfe zu dieser Seite"}},
};

// Whether accessible objects cross processes here, told by a standard
// control of the program: its tab strip, read from this process, has a role.
bool ObjectsCrossProcesses(const Started& s)
{
    const Reading tabs = Read(s.app.Control(TabControlId));
    if (tabs.role > 0)
        return true;
    std::printf("The program's tab strip reads role %ld from this process: accessible objects do not cross "
                "processes here, so ButtonEx is read in the test's own process.\n",
                tabs.role);
    return false;
}

// Clicks a parent window of the test process heard of.
int ClicksHeard = 0;
LRESULT CALLBACK HearingParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
        ++ClicksHeard;
    return DefWindowProcW(window, message, wParam, lParam);
}

// ButtonEx in this process, with the program's language file: a captioned
// button, one named by its tooltip, a disabled one and a hidden one, read
// as a screen reader reads them; the default action clicks.
void ReadButtonsInThisProcess(const Started& s, const Language& language)
{
    quenzel::LanguagePath = s.folder.Path() + L"\\lang\\default.lng";
    ASSERT_TRUE(quenzel::RegisterButtonExClass());
    const WNDCLASSW parentClass{0,       HearingParent, 0,       0,       GetModuleHandleW(nullptr),
                                nullptr, nullptr,       nullptr, nullptr, L"ReaderTestParent"};
    RegisterClassW(&parentClass);
    HWND parent = CreateWindowExW(0, L"ReaderTestParent", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    HWND captioned = quenzel::CreateButtonEx(L"&Encrypt", WS_VISIBLE, 0, 0, 110, 40, parent, 1);
    HWND tipped = quenzel::CreateButtonEx(L"", WS_VISIBLE | quenzel::BXS_IMAGEONLY, 0, 50, 40, 40, parent, 2);
    HWND disabled = quenzel::CreateButtonEx(L"Off", WS_VISIBLE | WS_DISABLED, 0, 100, 110, 40, parent, 3);
    HWND hidden = quenzel::CreateButtonEx(L"Hidden", 0, 0, 150, 110, 40, parent, 4);
    ASSERT_TRUE(captioned && tipped && disabled && hidden);
    ASSERT_EQ(quenzel::AddButtonExTooltip(tipped, L"Help for this page"), 0);
    const struct {
        HWND button;
        const wchar_t* name;
        LONG state;
    } rows[] = {{captioned, L"Encrypt", STATE_SYSTEM_FOCUSABLE},
                {tipped, L"Help for this page", STATE_SYSTEM_FOCUSABLE},
                {disabled, L"Off", STATE_SYSTEM_UNAVAILABLE},
                {hidden, L"Hidden", STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_INVISIBLE}};
    for (const auto& row : rows) {
        const Reading r = Read(row.button);
        EXPECT_EQ(r.name, row.name);
        EXPECT_EQ(r.role, ROLE_SYSTEM_PUSHBUTTON) << Narrow(row.name);
        EXPECT_EQ(r.state, row.state) << Narrow(row.name);
        EXPECT_EQ(r.action, language.press) << Narrow(row.name);
    }
    ClicksHeard = 0;
    EXPECT_EQ(Read(captioned, true).action, language.press) << "the default action failed";
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);)
        DispatchMessageW(&m);
    EXPECT_EQ(ClicksHeard, 1) << "the default action did not click";
    DestroyWindow(parent);
}

// Every program button is a named push button; the "..." button says what it
// chooses, and its default action returns though the file chooser it opens is
// modal. Where objects do not cross processes, ButtonEx is read in this one.
TEST(ScreenReader, EveryProgramButtonIsANamedPushButtonInBothLanguages)
{
    for (const Language& language : Languages) {
        SCOPED_TRACE(Narrow(language.file));
        Started s;
        ASSERT_NO_FATAL_FAILURE(StartIn(s, language.file));
        ASSERT_NO_FATAL_FAILURE(ReadButtonsInThisProcess(s, language));
        if (!ObjectsCrossProcesses(s)) {
            EXPECT_TRUE(s.app.Close());
            continue;
        }
        int buttons = 0;
        for (HWND b = GetWindow(s.window, GW_CHILD); b; b = GetWindow(b, GW_HWNDNEXT)) {
            if (ClassNameOf(b) != L"ButtonExClass")
                continue;
            ++buttons;
            const Reading r = Read(b);
            std::wstring caption = FieldText(b);
            caption.erase(std::remove(caption.begin(), caption.end(), L'&'), caption.end());
            EXPECT_TRUE(caption.empty() ? !r.name.empty() : r.name == caption) << GetDlgCtrlID(b);
            EXPECT_EQ(r.role, ROLE_SYSTEM_PUSHBUTTON) << GetDlgCtrlID(b);
            EXPECT_EQ(r.action, language.press) << GetDlgCtrlID(b);
            const LONG enabled = IsWindowEnabled(b) ? STATE_SYSTEM_FOCUSABLE : STATE_SYSTEM_UNAVAILABLE;
            EXPECT_EQ(r.state, enabled | (IsWindowVisible(b) ? 0 : STATE_SYSTEM_INVISIBLE)) << GetDlgCtrlID(b);
        }
        EXPECT_GE(buttons, 20);
        for (size_t i = 0; i < std::size(NamedButtons); ++i)
            EXPECT_EQ(Read(s.app.Control(NamedButtons[i])).name, language.names[i]);
        const Reading chooser = Read(s.app.Control(quenzel::IDC_FILE_CHOOSE), true);
        EXPECT_FALSE(chooser.description.empty());
        EXPECT_EQ(chooser.action, language.press) << "the default action failed";
        ASSERT_NO_FATAL_FAILURE(ChooseInFileDialog(s.app, L""));
        EXPECT_TRUE(s.app.Close());
    }
}

} // namespace
