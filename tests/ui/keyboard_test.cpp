// The program by keyboard alone: keys typed into the real program (SendInput
// into its foreground window), the focus read from outside as a screen
// reader reads it, and the files on disk checked afterwards.
#include "tests/ui/crypt_ui_support.h"

#include "app/options_page_ids.h"
#include "crypt/folder_page_ids.h"
#include "drives/drives_page_ids.h"
#include "shredder/shredder_page_ids.h"
#include "slots/slot_page_ids.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <initializer_list>
#include <vector>

namespace {

using namespace cryptui;
using namespace quenzel;

constexpr int MaxTabSteps = 60;
constexpr Millis KeyTimeout{5000};

DWORD WindowThread(HWND window)
{
    return GetWindowThreadProcessId(window, nullptr);
}

// The control with the keyboard focus in the program's window thread.
HWND FocusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(WindowThread(window), &info))
        return nullptr;
    return info.hwndFocus;
}

int FocusIdOf(HWND window)
{
    HWND focus = FocusOf(window);
    return focus ? GetDlgCtrlID(focus) : 0;
}

INPUT KeyInput(WORD key, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// A key pressed and released while the modifiers are held.
void PressKey(WORD key, std::initializer_list<WORD> modifiers = {})
{
    std::vector<INPUT> inputs;
    for (WORD modifier : modifiers)
        inputs.push_back(KeyInput(modifier, false));
    inputs.push_back(KeyInput(key, false));
    inputs.push_back(KeyInput(key, true));
    for (auto it = modifiers.end(); it != modifiers.begin();)
        inputs.push_back(KeyInput(*--it, true));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void TypeText(const std::wstring& text)
{
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        for (bool up : {false, true}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = c;
            input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
            inputs.push_back(input);
        }
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Types a text into the focused field; true once the field holds it.
bool TypeInto(HWND field, const std::wstring& text)
{
    TypeText(text);
    return WaitUntil([&] { return FieldText(field) == text; }, KeyTimeout);
}

bool BringToFront(HWND window)
{
    SetForegroundWindow(window);
    return WaitUntil([&] { return GetForegroundWindow() == window; }, KeyTimeout);
}

// Tab (or Shift+Tab) until `target` of `window` has the focus, as a user
// does; false when it never comes.
bool TabTo(HWND window, HWND target, bool backwards = false)
{
    for (int step = 0; step < MaxTabSteps; ++step) {
        HWND before = FocusOf(window);
        if (before == target)
            return true;
        backwards ? PressKey(VK_TAB, {VK_SHIFT}) : PressKey(VK_TAB);
        if (!WaitUntil([&] { return FocusOf(window) != before; }, KeyTimeout))
            return false;
    }
    return false;
}

// The ids the focus visits with Tab (or Shift+Tab) from the focused control
// until it comes back there.
std::vector<int> WalkFocus(HWND window, bool backwards)
{
    std::vector<int> visited{FocusIdOf(window)};
    for (int step = 0; step < MaxTabSteps; ++step) {
        HWND before = FocusOf(window);
        backwards ? PressKey(VK_TAB, {VK_SHIFT}) : PressKey(VK_TAB);
        if (!WaitUntil([&] { return FocusOf(window) != before; }, KeyTimeout))
            break;
        if (FocusIdOf(window) == visited.front())
            return visited;
        visited.push_back(FocusIdOf(window));
    }
    visited.push_back(-1); // never came back
    return visited;
}

struct PageTabOrder {
    int tab;
    std::vector<int> order; // from the page's first control; then the help button and the tab strip
};

// Each slot: its radio buttons (one stop: the ticked one), field, "..." and use button.
std::vector<int> SlotOrder()
{
    std::vector<int> order;
    for (int slot = 0; slot < SlotCount; ++slot)
        for (int first : {IDC_SLOT_FILE_RADIO_0, IDC_SLOT_PATH_0, IDC_SLOT_BROWSE_0, IDC_SLOT_USE_0})
            order.push_back(SlotControlId(first, slot));
    return order;
}

const PageTabOrder PageOrders[] = {
    {0,
     {IDC_OPTIONS_RECYCLE, IDC_OPTIONS_ADD_ENC, IDC_OPTIONS_REMOVE_ENC, IDC_OPTIONS_ADD_DEC, IDC_OPTIONS_STRONG_FORMAT,
      IDC_OPTIONS_ADD_ENCRYPTED, IDC_OPTIONS_REMOVE_ENCRYPTED, IDC_OPTIONS_ADD_DECRYPTED, IDC_OPTIONS_ENCRYPT_TO,
      IDC_OPTIONS_ENC_PATH, IDC_OPTIONS_BROWSE_ENC, IDC_OPTIONS_DECRYPT_TO, IDC_OPTIONS_DEC_PATH,
      IDC_OPTIONS_BROWSE_DEC}},
    {1,
     {IDC_FILE_SOURCE, IDC_FILE_CHOOSE, IDC_FILE_PREVIEW, IDC_KEY_PASSWORD_RADIO, IDC_KEY_PASSWORD,
      IDC_KEY_LEVEL_SLIDER, IDC_KEY_LEVEL_TEXT, IDC_FILE_ENCRYPT, IDC_FILE_DECRYPT}},
    {2,
     {IDC_FOLDER_SOURCE, IDC_FOLDER_GATHER, IDC_FOLDER_LIST, IDC_KEY_PASSWORD_RADIO, IDC_KEY_PASSWORD,
      IDC_KEY_LEVEL_SLIDER, IDC_KEY_LEVEL_TEXT, IDC_FOLDER_ENCRYPT, IDC_FOLDER_DECRYPT}},
    {3, SlotOrder()},
    {4,
     {IDC_SHRED_LIST, IDC_SHRED_DELETE, IDC_SHRED_ADD_FILE, IDC_SHRED_ADD_FOLDER, IDC_SHRED_CLEAR, IDC_SHRED_REMOVE,
      IDC_SHRED_START}},
    {5, {IDC_DRIVES_LIST, IDC_DRIVES_LOGON, IDC_DRIVES_MOUNT, IDC_DRIVES_UNMOUNT, IDC_DRIVES_APPLY, IDC_DRIVES_REMOVE,
         IDC_DRIVES_NEW}},
};

// Every page, reached by Ctrl+Tab from the one before, is walked with Tab in
// reading order, then the help button and the tab strip, and round again;
// Shift+Tab walks the same controls backwards.
TEST(Keyboard, TabWalksEveryPageInReadingOrder)
{
    Started s;
    // Both output folders ticked: their fields and buttons are enabled.
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n8=1\n9=1\n", cryptui::FilePageCommand));
    PostCommand(s.window, CMD_FIRST_PAGE);
    ASSERT_TRUE(WaitUntil([&] { return SelectedTab(s.app) == 0; }));
    ASSERT_TRUE(BringToFront(s.window));
    for (const PageTabOrder& page : PageOrders) {
        if (page.tab > 0) {
            PressKey(VK_TAB, {VK_CONTROL});
            ASSERT_TRUE(WaitUntil([&] { return SelectedTab(s.app) == page.tab; }, KeyTimeout)) << page.tab;
        }
        ASSERT_TRUE(TabTo(s.window, s.app.Control(page.order.front()))) << "tab " << page.tab;
        std::vector<int> expected = page.order;
        expected.push_back(IDC_HELPBUTTON);
        expected.push_back(IDC_TABS);
        EXPECT_EQ(WalkFocus(s.window, false), expected) << "Tab on tab " << page.tab;
        std::vector<int> backwards{expected.front()};
        backwards.insert(backwards.end(), expected.rbegin(), expected.rend() - 1);
        EXPECT_EQ(WalkFocus(s.window, true), backwards) << "Shift+Tab on tab " << page.tab;
    }
    PressKey(VK_TAB, {VK_CONTROL, VK_SHIFT});
    EXPECT_TRUE(WaitUntil([&] { return SelectedTab(s.app) == 4; }, KeyTimeout)) << "Ctrl+Shift+Tab goes back";
    EXPECT_TRUE(s.app.Close());
}

// A dialog of the program, once it has the keyboard focus.
HWND WaitForFocusedDialog(App& app, int controlId)
{
    HWND dialog = WaitForDialogWith(app, controlId);
    if (!dialog || !WaitUntil([&] { return GetForegroundWindow() == dialog && FocusOf(dialog); }, KeyTimeout))
        return nullptr;
    return dialog;
}

bool Gone(HWND dialog)
{
    return WaitUntil([&] { return !IsWindow(dialog); });
}

// One file job by keyboard on the file page: the source typed into its
// field, the password into its own, the button pressed with `pressKey`, the
// confirmation answered (the password again where asked) with Return and the
// result closed with Escape.
void RunFileJobByKeys(Started& s, const std::wstring& source, int button, WORD pressKey)
{
    const std::wstring password = L"Kl\u00E9e 42";
    ASSERT_TRUE(TabTo(s.window, s.app.Control(IDC_FILE_SOURCE)));
    ASSERT_TRUE(TypeInto(s.app.Control(IDC_FILE_SOURCE), source));
    ASSERT_TRUE(TabTo(s.window, s.app.Control(IDC_KEY_PASSWORD)));
    ASSERT_TRUE(TypeInto(s.app.Control(IDC_KEY_PASSWORD), password));
    ASSERT_TRUE(TabTo(s.window, s.app.Control(button)));
    PressKey(pressKey);
    HWND confirmation = WaitForFocusedDialog(s.app, ConfirmDestinationId);
    ASSERT_NE(confirmation, nullptr);
    if (HWND retype = GetDlgItem(confirmation, RetypeId)) {
        ASSERT_TRUE(TabTo(confirmation, retype));
        ASSERT_TRUE(TypeInto(retype, password));
    }
    PressKey(VK_RETURN);
    ASSERT_TRUE(Gone(confirmation));
    HWND result = WaitForFocusedDialog(s.app, ResultOutputId);
    ASSERT_NE(result, nullptr);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(Gone(result));
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(s.window) != nullptr; }, KeyTimeout));
}

// From start to result with the keyboard alone: a file encrypted (Space on
// Encrypt) and decrypted again (Return on Decrypt), then, on the shredder
// page reached through the menus, the file added by Add file and shredded.
TEST(Keyboard, EncryptDecryptAndShredByKeysAlone)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n1=1\n2=1\n3=1\n[OPTIONS]\nDeleteShredded=1\n", FilePageCommand));
    ASSERT_TRUE(BringToFront(s.window));
    const std::wstring plain = s.Work() + L"\\letter.txt";
    const std::string text = RandomText(3000, 26);
    ASSERT_TRUE(WriteFileBytes(plain, text));

    // Alt and the level label's letter reach the slider; an arrow key moves it.
    ASSERT_TRUE(WaitUntil([&] { return FocusIdOf(s.window) == IDC_FILE_SOURCE; }, KeyTimeout));
    PressKey('V', {VK_MENU});
    ASSERT_TRUE(WaitUntil([&] { return FocusIdOf(s.window) == IDC_KEY_LEVEL_SLIDER; }, KeyTimeout));
    PressKey(VK_RIGHT);
    ASSERT_TRUE(WaitUntil([&] { return FieldText(s.app.Control(IDC_KEY_LEVEL_TEXT)) == L"8"; }, KeyTimeout));

    ASSERT_NO_FATAL_FAILURE(RunFileJobByKeys(s, plain, IDC_FILE_ENCRYPT, VK_SPACE));
    std::string sealed;
    ASSERT_TRUE(ReadFileBytes(plain + L".enc", sealed));
    EXPECT_TRUE(sealed == Transformed(text, "Kl\xE9" "e 42", 8)) << "the typed password at level 8";
    ASSERT_NO_FATAL_FAILURE(RunFileJobByKeys(s, plain + L".enc", IDC_FILE_DECRYPT, VK_RETURN));
    std::string opened;
    ASSERT_TRUE(ReadFileBytes(plain + L".dec", opened));
    EXPECT_TRUE(opened == text);

    // The page list by its letter on the menu bar, the shredder by its letter
    // in the owner-drawn popup.
    PressKey('T', {VK_MENU});
    PressKey('H');
    ASSERT_TRUE(WaitUntil([&] { return SelectedTab(s.app) == 4; }, KeyTimeout));
    ASSERT_TRUE(TabTo(s.window, s.app.Control(IDC_SHRED_ADD_FILE)));
    PressKey(VK_SPACE);
    constexpr int NameField = 0x47C; // the open-file dialog's name box, which has the focus
    HWND chooser = WaitForFocusedDialog(s.app, NameField);
    ASSERT_NE(chooser, nullptr);
    ASSERT_TRUE(TypeInto(GetDlgItem(chooser, NameField), plain));
    PressKey(VK_RETURN);
    ASSERT_TRUE(Gone(chooser));
    ASSERT_TRUE(WaitUntil([&] { return ListViewText(s.app.Process(), s.app.Control(IDC_SHRED_LIST), 0, 0) != L""; }));
    ASSERT_TRUE(TabTo(s.window, s.app.Control(IDC_SHRED_START)));
    PressKey(VK_SPACE);
    HWND question = WaitForFocusedDialog(s.app, MessageTextId);
    ASSERT_NE(question, nullptr);
    PressKey('Y'); // the question's default is No: Yes by its letter
    ASSERT_TRUE(Gone(question));
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(plain); })) << "shredded and deleted";
    EXPECT_TRUE(FileExists(plain + L".dec"));
    // The job has ended once its row is gone and the page's buttons are back.
    EXPECT_TRUE(WaitUntil([&] {
        return SendMessageW(s.app.Control(IDC_SHRED_LIST), LVM_GETITEMCOUNT, 0, 0) == 0
               && IsWindowEnabled(s.app.Control(IDC_SHRED_ADD_FILE));
    }));
    EXPECT_TRUE(s.app.Close());
}

} // namespace
