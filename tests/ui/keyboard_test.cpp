// The program by keyboard alone: keys typed into its foreground window
// (SendInput), the focus read from outside, files checked on disk.
#include "tests/ui/crypt_ui_support.h"

#include "app/options_page_ids.h"
#include "base/tabs.h"
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

constexpr Millis KeyTimeout{5000};

INPUT Key(WORD key, bool up, wchar_t unicode = 0)
{
    INPUT input{INPUT_KEYBOARD};
    input.ki.wVk = key;
    input.ki.wScan = unicode;
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (unicode ? KEYEVENTF_UNICODE : 0);
    return input;
}

// A key pressed and released while the modifiers are held.
void PressKey(WORD key, std::initializer_list<WORD> modifiers = {})
{
    std::vector<INPUT> inputs;
    for (WORD modifier : modifiers)
        inputs.push_back(Key(modifier, false));
    inputs.insert(inputs.end(), {Key(key, false), Key(key, true)});
    for (WORD modifier : modifiers)
        inputs.push_back(Key(modifier, true));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Types into the focused field; true once `field` holds the text.
bool TypeInto(HWND field, const std::wstring& text)
{
    std::vector<INPUT> inputs;
    for (wchar_t c : text)
        inputs.insert(inputs.end(), {Key(0, false, c), Key(0, true, c)});
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return WaitUntil([&] { return FieldText(field) == text; }, KeyTimeout);
}

int FocusedId(HWND window)
{
    return GetDlgCtrlID(FocusedControl(window));
}

// One Tab (or Shift+Tab); false when the focus did not move.
bool Tab(HWND window, bool backwards = false)
{
    HWND before = FocusedControl(window);
    backwards ? PressKey(VK_TAB, {VK_SHIFT}) : PressKey(VK_TAB);
    return WaitUntil([&] { return FocusedControl(window) != before; }, KeyTimeout);
}

// Tab until `target` has the focus, as a user does.
bool TabTo(HWND window, HWND target)
{
    for (int step = 0; step < 60 && FocusedControl(window) != target; ++step)
        if (!Tab(window))
            return false;
    return FocusedControl(window) == target;
}

// The ids Tab visits from the focused control until it is back there.
std::vector<int> WalkFocus(HWND window)
{
    std::vector<int> visited{FocusedId(window)};
    while (visited.size() < 60 && Tab(window) && FocusedId(window) != visited.front())
        visited.push_back(FocusedId(window));
    return visited;
}

// Each tab's page from its first control, in reading order.
const std::vector<int> PageOrders[] = {
    {IDC_OPTIONS_RECYCLE, IDC_OPTIONS_ADD_ENC, IDC_OPTIONS_REMOVE_ENC, IDC_OPTIONS_ADD_DEC, IDC_OPTIONS_STRONG_FORMAT,
     IDC_OPTIONS_ADD_ENCRYPTED, IDC_OPTIONS_REMOVE_ENCRYPTED, IDC_OPTIONS_ADD_DECRYPTED, IDC_OPTIONS_ENCRYPT_TO,
     IDC_OPTIONS_ENC_PATH, IDC_OPTIONS_BROWSE_ENC, IDC_OPTIONS_DECRYPT_TO, IDC_OPTIONS_DEC_PATH,
     IDC_OPTIONS_BROWSE_DEC},
    {IDC_FILE_SOURCE, IDC_FILE_CHOOSE, IDC_FILE_PREVIEW, IDC_KEY_PASSWORD_RADIO, IDC_KEY_PASSWORD, IDC_KEY_LEVEL_SLIDER,
     IDC_KEY_LEVEL_TEXT, IDC_FILE_ENCRYPT, IDC_FILE_DECRYPT},
    {IDC_FOLDER_SOURCE, IDC_FOLDER_GATHER, IDC_FOLDER_LIST, IDC_KEY_PASSWORD_RADIO, IDC_KEY_PASSWORD,
     IDC_KEY_LEVEL_SLIDER, IDC_KEY_LEVEL_TEXT, IDC_FOLDER_ENCRYPT, IDC_FOLDER_DECRYPT},
    [] { // each slot: its ticked radio button (one stop for both), field, "..." and use button
        std::vector<int> order;
        for (int slot = 0; slot < SlotCount; ++slot)
            for (int first : {IDC_SLOT_FILE_RADIO_0, IDC_SLOT_PATH_0, IDC_SLOT_BROWSE_0, IDC_SLOT_USE_0})
                order.push_back(SlotControlId(first, slot));
        return order;
    }(),
    {IDC_SHRED_LIST, IDC_SHRED_DELETE, IDC_SHRED_ADD_FILE, IDC_SHRED_ADD_FOLDER, IDC_SHRED_CLEAR, IDC_SHRED_REMOVE,
     IDC_SHRED_START},
    {IDC_DRIVES_LIST, IDC_DRIVES_LOGON, IDC_DRIVES_MOUNT, IDC_DRIVES_UNMOUNT, IDC_DRIVES_APPLY, IDC_DRIVES_REMOVE,
     IDC_DRIVES_NEW},
};

// Every page, reached by Ctrl+Tab, is walked by Tab in reading order, then
// the help button and the tab strip; Shift+Tab goes back.
TEST(Keyboard, TabWalksEveryPageInReadingOrder)
{
    Started s;
    // Both output folders ticked: their fields and buttons are enabled.
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n8=1\n9=1\n", FilePageCommand));
    PostCommand(s.window, CMD_FIRST_PAGE);
    SetForegroundWindow(s.window);
    for (int tab = 0; tab < TabCount; ++tab) {
        if (tab > 0)
            PressKey(VK_TAB, {VK_CONTROL});
        ASSERT_TRUE(WaitUntil([&] { return SelectedTab(s.app) == tab; }, KeyTimeout)) << tab;
        std::vector<int> expected = PageOrders[tab];
        ASSERT_TRUE(TabTo(s.window, s.app.Control(expected.front()))) << "tab " << tab;
        expected.insert(expected.end(), {IDC_HELPBUTTON, IDC_TABS});
        EXPECT_EQ(WalkFocus(s.window), expected) << "tab " << tab;
        ASSERT_TRUE(Tab(s.window, true));
        EXPECT_EQ(FocusedId(s.window), IDC_TABS) << "Shift+Tab on tab " << tab;
    }
    PressKey(VK_TAB, {VK_CONTROL, VK_SHIFT});
    EXPECT_TRUE(WaitUntil([&] { return SelectedTab(s.app) == TabCount - 2; }, KeyTimeout));
    EXPECT_TRUE(s.app.Close());
}

// A dialog of the program once it has the keyboard focus.
HWND FocusedDialog(App& app, int controlId)
{
    HWND dialog = WaitForDialogWith(app, controlId);
    return dialog && WaitUntil([&] { return GetForegroundWindow() == dialog && FocusedControl(dialog); }) ? dialog
                                                                                                          : nullptr;
}

// From start to result by keys alone: a file encrypted at level 8 (Alt and the level's letter,
// an arrow key), decrypted, and shredded on the page chosen in the owner-drawn page menu by its letter,
// its buttons pressed by their letters.
TEST(Keyboard, EncryptDecryptAndShredByKeysAlone)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n1=1\n2=1\n3=1\n[OPTIONS]\nDeleteShredded=1\n", FilePageCommand));
    SetForegroundWindow(s.window);
    const std::wstring plain = s.Work() + L"\\letter.txt", password = L"Kl\u00E9e 42";
    const std::string text = RandomText(3000, 26);
    ASSERT_TRUE(WriteFileBytes(plain, text));
    ASSERT_TRUE(WaitUntil([&] { return FocusedId(s.window) == IDC_FILE_SOURCE; }, KeyTimeout));
    PressKey('V', {VK_MENU});
    ASSERT_TRUE(WaitUntil([&] { return FocusedId(s.window) == IDC_KEY_LEVEL_SLIDER; }, KeyTimeout));
    PressKey(VK_RIGHT);
    ASSERT_TRUE(WaitUntil([&] { return FieldText(s.app.Control(IDC_KEY_LEVEL_TEXT)) == L"8"; }, KeyTimeout));

    ASSERT_TRUE(TabTo(s.window, s.app.Control(IDC_FILE_SOURCE)) && TypeInto(s.app.Control(IDC_FILE_SOURCE), plain));
    ASSERT_TRUE(TabTo(s.window, s.app.Control(IDC_KEY_PASSWORD))
                && TypeInto(s.app.Control(IDC_KEY_PASSWORD), password));
    ASSERT_TRUE(TabTo(s.window, s.app.Control(IDC_FILE_ENCRYPT)));
    PressKey(VK_RETURN);
    HWND confirmation = FocusedDialog(s.app, ConfirmDestinationId), retype = GetDlgItem(confirmation, RetypeId);
    ASSERT_TRUE(retype && TabTo(confirmation, retype) && TypeInto(retype, password));
    PressKey(VK_RETURN); // OK, the dialog's default
    HWND result = FocusedDialog(s.app, ResultOutputId);
    ASSERT_NE(result, nullptr);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(result) && FocusedControl(s.window); }));
    std::string sealed;
    EXPECT_TRUE(ReadFileBytes(plain + L".enc", sealed)
                && sealed
                    == Transformed(text,
                                   "Kl\xE9"
                                   "e 42",
                                   8));

    // Decrypted by keys into a file named in the confirmation.
    const std::wstring back = s.Work() + L"\\back.txt";
    ASSERT_TRUE(TabTo(s.window, s.app.Control(IDC_FILE_SOURCE))
                && TypeInto(s.app.Control(IDC_FILE_SOURCE), plain + L".enc"));
    ASSERT_TRUE(TabTo(s.window, s.app.Control(IDC_FILE_DECRYPT)));
    PressKey(VK_SPACE);
    confirmation = FocusedDialog(s.app, ConfirmDestinationId);
    HWND destination = GetDlgItem(confirmation, ConfirmDestinationId);
    ASSERT_TRUE(destination && TabTo(confirmation, destination) && TypeInto(destination, back));
    PressKey(VK_RETURN);
    result = FocusedDialog(s.app, ResultOutputId);
    ASSERT_NE(result, nullptr);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(result) && FocusedControl(s.window); }));
    std::string opened;
    EXPECT_TRUE(ReadFileBytes(back, opened) && opened == text);

    PressKey('T', {VK_MENU}); // "Brannock &Tools"
    PressKey('H');            // "S&hredder"
    ASSERT_TRUE(WaitUntil([&] { return SelectedTab(s.app) == 4; }, KeyTimeout));
    // The buttons answer their letters from the list and from another button.
    ASSERT_TRUE(TabTo(s.window, s.app.Control(IDC_SHRED_LIST)));
    PressKey('A', {VK_MENU}); // "&Add file"
    ASSERT_NO_FATAL_FAILURE(ChooseInFileDialog(s.app, plain));
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(s.app.Control(IDC_SHRED_LIST), LVM_GETITEMCOUNT, 0, 0) == 1; }));
    ASSERT_TRUE(TabTo(s.window, s.app.Control(IDC_SHRED_CLEAR)));
    PressKey('R', {VK_MENU}); // "Sh&red"
    HWND question = FocusedDialog(s.app, MessageTextId);
    ASSERT_NE(question, nullptr);
    PressKey('Y'); // the question's default is No
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
    ASSERT_NE(FocusedDialog(s.app, MessageTextId), nullptr); // the report
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(plain) && IsWindowEnabled(s.app.Control(IDC_SHRED_ADD_FILE)); }));
    // The button disabled during the job gets the focus back.
    EXPECT_TRUE(WaitUntil([&] { return FocusedId(s.window) == IDC_SHRED_CLEAR; }, KeyTimeout)) << FocusedId(s.window);
    EXPECT_TRUE(s.app.Close());
}

} // namespace
