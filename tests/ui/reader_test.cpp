// The program as a screen reader meets it, from another process: every
// program button through MSAA in both languages, and its default action.
#include "tests/ui/crypt_ui_support.h"

#include "drives/drives_page_ids.h"
#include "shredder/shredder_page_ids.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <string>

namespace {

using namespace cryptui;

struct Reading {
    std::wstring name, description, action;
    LONG role = -1, state = -1;
};

Reading Read(HWND control, bool doDefaultAction = false)
{
    Reading r;
    IAccessible* o = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&o))))
        return r;
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

// Every program button is a named push button; the "..." button says what it
// chooses, and its default action returns though the file chooser it opens is modal.
TEST(ScreenReader, EveryProgramButtonIsANamedPushButtonInBothLanguages)
{
    for (const Language& language : Languages) {
        SCOPED_TRACE(Narrow(language.file));
        Started s;
        ASSERT_NO_FATAL_FAILURE(StartIn(s, language.file));
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
