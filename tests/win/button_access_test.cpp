// ButtonEx for screen readers and in high contrast, in this process: the
// MSAA object's answers in each state, and the colours a high-contrast
// theme gives face, frame and caption.
#include "base/high_contrast.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/process.h"
#include "controls/button_ex.h"
#include "tests/support/ui_driver.h"
#include "tests/win/button_fixture.h"

#include <oleacc.h>

#include <iterator>
#include <string>

namespace buttontest {
namespace {

using namespace quenzel;

VARIANT Self()
{
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

std::wstring Taken(BSTR text)
{
    std::wstring taken = text ? text : L"";
    SysFreeString(text);
    return taken;
}

enum class Situation { Resting, Disabled, Focused, Pressed, Hidden };

struct AccessRow {
    const wchar_t* caption;
    const wchar_t* tip;
    DWORD style;
    Situation situation;
    const wchar_t* name;
    const wchar_t* description;
    LONG state;
};

constexpr AccessRow AccessRows[] = {
    {L"&Encrypt", L"Encrypt the file", BXS_ROUNDED | BXS_IMAGETOP | BS_ICON, Situation::Resting, L"Encrypt",
     L"Encrypt the file", STATE_SYSTEM_FOCUSABLE},
    // Without a caption the tooltip is the name (the help button).
    {nullptr, L"Help for this page", BXS_ROUNDED | BXS_IMAGEONLY | BS_ICON, Situation::Resting, L"Help for this page",
     L"", STATE_SYSTEM_FOCUSABLE},
    {L"...", L"Choose the file", BXS_ROUNDED | BS_ICON, Situation::Disabled, L"...", L"Choose the file",
     STATE_SYSTEM_UNAVAILABLE},
    {L"Go", nullptr, 0, Situation::Focused, L"Go", L"", STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED},
    {L"Go", nullptr, 0, Situation::Pressed, L"Go", L"", STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_PRESSED},
    {L"Go", nullptr, 0, Situation::Hidden, L"Go", L"", STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_INVISIBLE},
};

class ButtonAccessTest : public ButtonTest {
protected:
    void SetUp() override
    {
        ButtonTest::SetUp();
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        LanguagePath = uitest::HostToWindowsPath(QUENZEL_LANG_DIR) + L"\\english.lng";
    }
    void TearDown() override
    {
        CoUninitialize();
        ButtonTest::TearDown();
    }

    void Arrange(HWND button, Situation situation)
    {
        switch (situation) {
        case Situation::Resting:
            break;
        case Situation::Disabled:
            EnableWindow(button, FALSE);
            break;
        case Situation::Focused:
            SetFocus(button);
            break;
        case Situation::Pressed:
            SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            break;
        case Situation::Hidden:
            ShowWindow(button, SW_HIDE);
            break;
        }
    }
};

TEST_F(ButtonAccessTest, ObjectAnswersNameRoleStateAndAction)
{
    for (const AccessRow& row : AccessRows) {
        SCOPED_TRACE(uitest::Narrow(row.name));
        HWND button = Make(row.caption, row.style);
        if (row.tip) {
            ASSERT_EQ(AddButtonExTooltip(button, row.tip), 0);
        }
        Arrange(button, row.situation);
        IAccessible* object = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(button, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                             reinterpret_cast<void**>(&object)),
                  S_OK);
        BSTR text = nullptr;
        object->get_accName(Self(), &text);
        EXPECT_EQ(Taken(text), row.name);
        text = nullptr;
        object->get_accDescription(Self(), &text);
        EXPECT_EQ(Taken(text), row.description);
        text = nullptr;
        object->get_accDefaultAction(Self(), &text);
        EXPECT_EQ(Taken(text), L"Press");
        VARIANT value;
        VariantInit(&value);
        ASSERT_EQ(object->get_accRole(Self(), &value), S_OK);
        EXPECT_EQ(value.lVal, ROLE_SYSTEM_PUSHBUTTON);
        VariantInit(&value);
        ASSERT_EQ(object->get_accState(Self(), &value), S_OK);
        EXPECT_EQ(value.lVal, row.state);
        // Only the button itself is there to be read.
        VARIANT other = Self();
        other.lVal = 1;
        EXPECT_EQ(object->get_accRole(other, &value), E_INVALIDARG);
        object->Release();
        if (row.situation == Situation::Pressed)
            SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
}

TEST_F(ButtonAccessTest, DefaultActionPostsOneClickAndNoneWhenDisabled)
{
    HWND button = Make(L"Go", 0, 110, 40, 321);
    HWND disabled = Make(L"Off", 0, 110, 40, 322);
    EnableWindow(disabled, FALSE);
    IAccessible* object = nullptr;
    IAccessible* off = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(button, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                         reinterpret_cast<void**>(&object)),
              S_OK);
    ASSERT_EQ(AccessibleObjectFromWindow(disabled, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                         reinterpret_cast<void**>(&off)),
              S_OK);
    EXPECT_EQ(object->accDoDefaultAction(Self()), S_OK);
    EXPECT_EQ(off->accDoDefaultAction(Self()), E_FAIL);
    EXPECT_TRUE(Commands().empty()); // posted, not yet delivered
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
    ASSERT_EQ(Commands().size(), 1u);
    EXPECT_EQ(Commands()[0].id, 321);
    object->Release();
    off->Release();
}

// High contrast: face, frame and caption in the colours the user chose
// (set here as the system colours), never the rounded look's own.
struct ContrastRow {
    const char* what;
    bool disabled;
    bool pressed;
    int face;
    int caption;
};

constexpr ContrastRow ContrastRows[] = {
    {"resting", false, false, COLOR_BTNFACE, COLOR_BTNTEXT},
    {"pressed", false, true, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT},
    {"disabled", true, false, COLOR_BTNFACE, COLOR_GRAYTEXT},
};

class SystemColours {
public:
    SystemColours()
    {
        for (size_t i = 0; i < std::size(Indices); ++i)
            saved_[i] = GetSysColor(Indices[i]);
    }
    ~SystemColours() { SetSysColors(static_cast<int>(std::size(Indices)), Indices, saved_); }
    SystemColours(const SystemColours&) = delete;
    SystemColours& operator=(const SystemColours&) = delete;
    bool SetTheme() const { return SetSysColors(static_cast<int>(std::size(Indices)), Indices, Theme) != FALSE; }

    static constexpr INT Indices[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT,
                                      COLOR_GRAYTEXT};
    // A black theme with yellow text, as high-contrast themes have it.
    static constexpr COLORREF Theme[] = {RGB(0, 0, 0), RGB(255, 255, 0), RGB(0, 128, 255), RGB(255, 255, 255),
                                         RGB(0, 255, 0)};

private:
    COLORREF saved_[std::size(Indices)] = {};
};

TEST_F(ButtonAccessTest, HighContrastPaintsInTheSystemColoursOnly)
{
    SystemColours colours;
    ASSERT_TRUE(colours.SetTheme());
    HoldHighContrast(true);
    for (const ContrastRow& row : ContrastRows) {
        SCOPED_TRACE(row.what);
        HWND button = Make(L"Encrypt", BXS_ROUNDED | BS_ICON, 110, 40);
        SendMessageW(button, WM_SYSCOLORCHANGE, 0, 0);
        if (row.disabled)
            EnableWindow(button, FALSE);
        if (row.pressed)
            SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        const Capture capture(button);
        const COLORREF face = GetSysColor(row.face);
        EXPECT_EQ(capture.At(capture.Width() / 2, 3), face);
        EXPECT_EQ(capture.At(capture.Width() / 2, capture.Height() - 3), face);
        EXPECT_TRUE(capture.Has(GetSysColor(row.caption)));
        // The frame, at the very edge, in the caption's colour; never the rounded look's.
        EXPECT_NE(capture.At(0, capture.Height() / 2), face);
        EXPECT_FALSE(capture.Has(RGB(0x28, 0x32, 0x5A)));
        EXPECT_FALSE(capture.Has(RGB(0xF3, 0xF3, 0xEF)));
        if (row.pressed)
            SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(500, 500));
    }
    HoldHighContrast(false);
}

} // namespace
} // namespace buttontest
