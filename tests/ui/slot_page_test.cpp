// The slot page driven from the outside: slots loaded from and stored to
// the settings file, handed to the encryption pages, kept across restarts.
#include "tests/ui/crypt_ui_support.h"

#include "crypt/file_page_ids.h"
#include "crypt/folder_page_ids.h"
#include "slots/slot_page_ids.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

using namespace cryptui;
using quenzel::SlotControlId;

HWND SlotControl(Started& s, int firstSlotId, int slot)
{
    return s.app.Control(SlotControlId(firstSlotId, slot));
}

std::wstring StoredSlot(Started& s, const wchar_t* section, int slot)
{
    wchar_t text[512] = L"";
    GetPrivateProfileStringW(section, std::to_wstring(slot).c_str(), L"<none>", text, 512, s.folder.IniPath().c_str());
    return text;
}

std::wstring StoredPath(Started& s, int slot)
{
    return StoredSlot(s, L"OFTENPATHS", slot);
}

bool FolderChecked(Started& s, int slot)
{
    return SendMessageW(SlotControl(s, quenzel::IDC_SLOT_FOLDER_RADIO_0, slot), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Exactly one of the slot's two radio buttons is checked: the folder one
// when `folder`.
void ExpectKind(Started& s, int slot, bool folder)
{
    const LRESULT file = SendMessageW(SlotControl(s, quenzel::IDC_SLOT_FILE_RADIO_0, slot), BM_GETCHECK, 0, 0);
    EXPECT_EQ(FolderChecked(s, slot), folder) << "slot " << slot;
    EXPECT_EQ(file == BST_CHECKED, !folder) << "slot " << slot;
}

std::wstring SlotText(Started& s, int slot)
{
    return FieldText(SlotControl(s, quenzel::IDC_SLOT_PATH_0, slot));
}

void Restart(Started& s)
{
    ASSERT_TRUE(s.app.Close());
    ASSERT_TRUE(s.app.Start(s.folder, L"3"));
    s.window = s.app.WaitForMainWindow();
    ASSERT_NE(s.window, nullptr);
}

// Slots as stored; a kind is stored at each click; "+" carries the path,
// typed or stored, to its page and stores it.
TEST(SlotPage, LoadsStoresKindsAndCarriesPathsToTheirPages)
{
    Started s;
    Start(s, "[OFTENRADIO]\n4=1\n5=7\n[OFTENPATHS]\n4=C:\\windows\n", SlotPageCommand);
    EXPECT_EQ(StatusText(s, 1), L"Nine slots for the files and folders you use most");
    for (int slot = 0; slot < quenzel::SlotCount; ++slot) {
        ExpectKind(s, slot, slot == 4 || slot == 5); // any value but 0 is a folder
        EXPECT_EQ(SlotText(s, slot), slot == 4 ? L"C:\\windows" : L"") << slot;
    }
    PostClick(SlotControl(s, quenzel::IDC_SLOT_FOLDER_RADIO_0, 0));
    ASSERT_TRUE(WaitUntil([&] { return StoredSlot(s, L"OFTENRADIO", 0) == L"1"; }));
    ExpectKind(s, 0, true);
    PostClick(SlotControl(s, quenzel::IDC_SLOT_FILE_RADIO_0, 5));
    ASSERT_TRUE(WaitUntil([&] { return StoredSlot(s, L"OFTENRADIO", 5) == L"0"; }));
    ExpectKind(s, 5, false);
    EXPECT_EQ(StoredSlot(s, L"OFTENRADIO", 4), L"1");

    const std::wstring typed = L"C:\\typed for use.txt";
    SetFieldText(SlotControl(s, quenzel::IDC_SLOT_PATH_0, 2), typed);
    PostMouseClick(SlotControl(s, quenzel::IDC_SLOT_USE_0, 2));
    ASSERT_TRUE(WaitUntil([&] { return SelectedTab(s.app) == 1; }));
    EXPECT_EQ(FieldText(s.app.Control(quenzel::IDC_FILE_SOURCE)), typed);
    EXPECT_TRUE(IsWindowVisible(s.app.Control(quenzel::IDC_FILE_SOURCE)));
    EXPECT_EQ(StoredPath(s, 2), typed);
    PostCommand(s.window, SlotPageCommand);
    ASSERT_TRUE(WaitUntil([&] { return SelectedTab(s.app) == 3; }));
    PostMouseClick(SlotControl(s, quenzel::IDC_SLOT_USE_0, 4));
    ASSERT_TRUE(WaitUntil([&] { return SelectedTab(s.app) == 2; }));
    EXPECT_EQ(FieldText(s.app.Control(quenzel::IDC_FOLDER_SOURCE)), L"C:\\windows");
    EXPECT_TRUE(IsWindowVisible(s.app.Control(quenzel::IDC_FOLDER_SOURCE)));
    EXPECT_FALSE(IsWindowVisible(SlotControl(s, quenzel::IDC_SLOT_PATH_0, 4)));
    EXPECT_EQ(StoredPath(s, 0), L"<none>");
    EXPECT_TRUE(s.app.Close());
}

TEST(SlotPage, BrowsingStoresTheChoiceOfItsSlotOnly)
{
    Started s;
    Start(s, "[OFTENRADIO]\n7=1\n", SlotPageCommand);
    const std::wstring file = s.Work() + L"\\slot six.txt";
    ASSERT_TRUE(WriteFileBytes(file, "six"));
    PostCommand(s.window, SlotControlId(quenzel::IDC_SLOT_BROWSE_0, 6));
    ChooseInFileDialog(s.app, file);
    ASSERT_TRUE(WaitUntil([&] { return StoredPath(s, 6) == file; })) << Narrow(StoredPath(s, 6));
    PostCommand(s.window, SlotControlId(quenzel::IDC_SLOT_BROWSE_0, 7));
    ChooseInFolderPicker(s.app, s.Work());
    ASSERT_TRUE(WaitUntil([&] { return StoredPath(s, 7) == s.Work(); })) << Narrow(StoredPath(s, 7));
    // A cancelled choice leaves the slot as it was.
    PostCommand(s.window, SlotControlId(quenzel::IDC_SLOT_BROWSE_0, 0));
    ChooseInFileDialog(s.app, L"");
    for (int slot : {0, 1, 5, 8})
        EXPECT_EQ(StoredPath(s, slot), L"<none>") << slot;

    Restart(s);
    EXPECT_EQ(SlotText(s, 6), file);
    EXPECT_EQ(SlotText(s, 7), s.Work());
    EXPECT_EQ(SlotText(s, 0), L"");
    EXPECT_TRUE(s.app.Close());
}

// A path typed into a slot and never used is kept: when its field loses
// the focus, and at close. The settings file holds any script.
TEST(SlotPage, TypedPathsSurviveARestart)
{
    Started s;
    Start(s, nullptr, SlotPageCommand);
    for (int slot = 0; slot < quenzel::SlotCount; ++slot)
        ExpectKind(s, slot, false);
    const std::wstring typed = L"C:\\typed\\plain.txt";
    const std::wstring greek =
        L"C:\\\u03a6\u03ac\u03ba\u03b5\u03bb\u03bf\u03c2\\\u03b1\u03c1\u03c7\u03b5\u03af\u03bf.txt";
    PostMouseClick(SlotControl(s, quenzel::IDC_SLOT_PATH_0, 1));
    SetFieldText(SlotControl(s, quenzel::IDC_SLOT_PATH_0, 1), typed);
    PostMouseClick(SlotControl(s, quenzel::IDC_SLOT_PATH_0, 3));
    ASSERT_TRUE(WaitUntil([&] { return StoredPath(s, 1) == typed; })) << Narrow(StoredPath(s, 1));
    SetFieldText(SlotControl(s, quenzel::IDC_SLOT_PATH_0, 3), greek);
    Restart(s);
    EXPECT_EQ(StoredPath(s, 3), greek);
    EXPECT_EQ(StoredPath(s, 0), L"<none>") << "an unchanged slot is not written";
    EXPECT_EQ(SlotText(s, 1), typed);
    EXPECT_EQ(SlotText(s, 3), greek);

    // The end of the session closes the program the same way.
    SetFieldText(SlotControl(s, quenzel::IDC_SLOT_PATH_0, 5), typed);
    PostMessageW(s.window, WM_ENDSESSION, TRUE, 0);
    DWORD exitCode = 1;
    ASSERT_TRUE(s.app.WaitForExit(exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(StoredPath(s, 5), typed);
}

} // namespace
