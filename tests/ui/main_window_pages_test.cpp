// The main window's pages: each tab shows its own page and status text, the
// path fields take long paths, and the options page stores what it shows.
#include "tests/ui/main_window_support.h"

#include "app/options_page_ids.h"
#include "crypt/file_page_ids.h"
#include "crypt/folder_page_ids.h"
#include "drives/drives_page_ids.h"
#include "res/resource.h"
#include "slots/slot_page_ids.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace mainwin;

constexpr int OptionsControlIds[] = {
    quenzel::IDC_OPTIONS_STRIP,         quenzel::IDC_OPTIONS_FRAME,         quenzel::IDC_OPTIONS_GROUP_MAIN,
    quenzel::IDC_OPTIONS_ICON,          quenzel::IDC_OPTIONS_GROUP_FILE,    quenzel::IDC_OPTIONS_GROUP_FOLDER,
    quenzel::IDC_OPTIONS_RECYCLE,       quenzel::IDC_OPTIONS_ADD_ENC,       quenzel::IDC_OPTIONS_REMOVE_ENC,
    quenzel::IDC_OPTIONS_ADD_DEC,       quenzel::IDC_OPTIONS_STRONG_FORMAT, quenzel::IDC_OPTIONS_REMOVE_ENCRYPTED,
    quenzel::IDC_OPTIONS_ADD_ENCRYPTED, quenzel::IDC_OPTIONS_ADD_DECRYPTED, quenzel::IDC_OPTIONS_ENCRYPT_TO,
    quenzel::IDC_OPTIONS_DECRYPT_TO,    quenzel::IDC_OPTIONS_ENC_PATH,      quenzel::IDC_OPTIONS_DEC_PATH,
    quenzel::IDC_OPTIONS_BROWSE_ENC,    quenzel::IDC_OPTIONS_BROWSE_DEC,    quenzel::IDC_OPTIONS_TEXT,
    quenzel::IDC_OPTIONS_PICTURE};
constexpr int WindowControlIds[] = {quenzel::IDC_STATUSBAR, quenzel::IDC_HELPBUTTON, quenzel::IDC_BANNER,
                                    quenzel::IDC_TABS};
// The slot page: frame, strip, group box and nine slots of seven controls.
constexpr int SlotPageIds[] = {quenzel::IDC_SLOT_FRAME, quenzel::IDC_SLOT_BANNER, quenzel::IDC_SLOT_GROUP};

void SaveNewDriveDialog(Started& s)
{
    PostCommand(s.window, quenzel::IDC_DRIVES_NEW);
    HWND dialog = WaitForDialogWith(s.app, IDC_NEWDRIVE_LETTER);
    ASSERT_NE(dialog, nullptr);
    SaveScreenshot(dialog, L"new-drive-dialog");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

TEST(MainWindow, EachTabShowsItsPageAndStatusText)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, GalleryIni.c_str()));
    App& app = s.app;
    // Every control id is unique among the main window's children.
    std::multiset<int> ids;
    for (HWND child = GetWindow(s.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        ids.insert(GetDlgCtrlID(child));
    for (int id : ids)
        EXPECT_EQ(ids.count(id), 1u) << "control id " << id;

    EXPECT_EQ(StatusInfo(app), L"Welcome to Quenzel");
    for (int id : OptionsControlIds)
        EXPECT_TRUE(Visible(app, id)) << id;
    for (int tab = 0; tab < TabCount; ++tab) {
        PostCommand(s.window, FirstPageCommand + tab);
        ASSERT_TRUE(WaitUntil([&] { return SelectedTab(app) == tab; })) << tab;
        ASSERT_TRUE(WaitUntil([&] { return Visible(app, quenzel::IDC_OPTIONS_FRAME) == (tab == 0); })) << tab;
        // Returns once the switch, one message, has shown and hidden the controls.
        SendMessageW(s.window, WM_NULL, 0, 0);
        for (int id : OptionsControlIds)
            EXPECT_EQ(Visible(app, id), tab == 0) << "tab " << tab << " control " << id;
        for (int id : WindowControlIds)
            EXPECT_TRUE(Visible(app, id)) << "tab " << tab << " control " << id;
        if (tab == 3) {
            EXPECT_EQ(StatusInfo(app), L"Nine slots for the files and folders you use most");
        }
        std::vector<int> slotIds(std::begin(SlotPageIds), std::end(SlotPageIds));
        for (int id = quenzel::IDC_SLOT_FIRST; id <= quenzel::IDC_SLOT_LAST; ++id)
            slotIds.push_back(id);
        for (int id : slotIds)
            EXPECT_EQ(Visible(app, id), tab == 3) << "tab " << tab << " control " << id;
        if (tab == 5) {
            EXPECT_EQ(StatusInfo(app), L"3 folder drive(s) defined");
        }
        SavePaintedWindow(s.window, L"main-tab-" + std::to_wstring(tab));
        if (tab == 5) {
            ASSERT_NO_FATAL_FAILURE(SaveNewDriveDialog(s));
        }
    }
    PostCommand(s.window, FirstPageCommand);
    ASSERT_TRUE(WaitUntil([&] { return SelectedTab(app) == 0 && Visible(app, quenzel::IDC_OPTIONS_FRAME); }));
    EXPECT_EQ(StatusInfo(app), L"");
    EXPECT_TRUE(app.Close());
}

TEST(OptionsPage, CheckBoxesStoreTheirFlagsAndFollowTheFolderFields)
{
    Started s;
    // MAIN "4" as an older copy may have left it: the strong format stays off.
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\nEncPath=c:\\stored\n4=1\n"));
    App& app = s.app;
    EXPECT_EQ(FieldText(app.Control(quenzel::IDC_OPTIONS_ENC_PATH)), L"c:\\stored");
    EXPECT_FALSE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_ENC_PATH)));
    EXPECT_FALSE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_BROWSE_ENC)));
    EXPECT_TRUE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_STRONG_FORMAT)));
    EXPECT_EQ(SendMessageW(app.Control(quenzel::IDC_OPTIONS_STRONG_FORMAT), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    for (int id = quenzel::IDC_OPTIONS_FIRST_CHECK; id <= quenzel::IDC_OPTIONS_LAST_CHECK; ++id) {
        const bool strong = id == quenzel::IDC_OPTIONS_STRONG_FORMAT;
        const std::wstring section = strong ? L"OPTIONS" : L"MAIN";
        const std::wstring key = strong ? L"StrongFormat" : std::to_wstring(id - quenzel::IDC_OPTIONS_FIRST_CHECK);
        PostClick(app.Control(id));
        ASSERT_TRUE(WaitUntil([&] { return IniText(s.folder, section.c_str(), key.c_str()) == L"1"; })) << id;
        EXPECT_EQ(SendMessageW(app.Control(id), BM_GETCHECK, 0, 0), BST_CHECKED) << id;
    }
    EXPECT_EQ(IniText(s.folder, L"MAIN", L"4"), L"1") << "left as it was";
    EXPECT_TRUE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_ENC_PATH)));
    EXPECT_TRUE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_BROWSE_ENC)));
    EXPECT_TRUE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_DEC_PATH)));
    EXPECT_TRUE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_BROWSE_DEC)));
    PostClick(app.Control(quenzel::IDC_OPTIONS_ENCRYPT_TO));
    ASSERT_TRUE(WaitUntil([&] { return IniText(s.folder, L"MAIN", L"8") == L"0"; }));
    EXPECT_EQ(SendMessageW(app.Control(quenzel::IDC_OPTIONS_ENCRYPT_TO), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_ENC_PATH)));
    EXPECT_FALSE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_BROWSE_ENC)));
    EXPECT_TRUE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_DEC_PATH)));

    // A folder typed by hand is not stored.
    SendMessageW(app.Control(quenzel::IDC_OPTIONS_DEC_PATH), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"c:\\typed"));
    EXPECT_EQ(FieldText(app.Control(quenzel::IDC_OPTIONS_DEC_PATH)), L"c:\\typed");
    EXPECT_TRUE(app.Close());
    EXPECT_EQ(IniText(s.folder, L"MAIN", L"DecPath"), L"<none>");
    EXPECT_EQ(IniText(s.folder, L"MAIN", L"EncPath"), L"c:\\stored");
}

// Every field that takes a path scrolls sideways: a path typed key by key
// far past the field's width is taken whole.
TEST(MainWindow, PathFieldsTakeATypedPathLongerThanTheirWidth)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n8=1\n9=1\n"));
    std::wstring path = L"C:\\";
    while (path.size() < 240)
        path += L"a rather long folder name\\";
    path += L"file.txt";
    const int fields[] = {quenzel::IDC_FILE_SOURCE,
                          quenzel::IDC_FOLDER_SOURCE,
                          quenzel::IDC_KEY_FILE,
                          quenzel::IDC_OPTIONS_ENC_PATH,
                          quenzel::IDC_OPTIONS_DEC_PATH,
                          quenzel::SlotControlId(quenzel::IDC_SLOT_PATH_0, 0),
                          quenzel::SlotControlId(quenzel::IDC_SLOT_PATH_0, quenzel::SlotCount - 1)};
    for (const int id : fields) {
        HWND field = s.app.Control(id);
        ASSERT_NE(field, nullptr) << id;
        SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        for (const wchar_t c : path)
            SendMessageW(field, WM_CHAR, c, 0);
        EXPECT_EQ(FieldText(field), path) << id;
    }
    EXPECT_TRUE(s.app.Close());
}

// Each browse button stores the folder chosen in the picker and shows it.
TEST(OptionsPage, BrowseButtonsStoreTheChosenFolders)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n8=1\n9=1\n"));
    const struct {
        int button;
        int field;
        const wchar_t* key;
        std::wstring folder;
    } rows[] = {
        {quenzel::IDC_OPTIONS_BROWSE_ENC, quenzel::IDC_OPTIONS_ENC_PATH, L"EncPath", L"C:\\windows"},
        {quenzel::IDC_OPTIONS_BROWSE_DEC, quenzel::IDC_OPTIONS_DEC_PATH, L"DecPath", L"C:\\windows\\system32"},
    };
    for (const auto& row : rows) {
        PostCommand(s.window, row.button);
        ChooseInFolderPicker(s.app, row.folder);
        ASSERT_TRUE(WaitUntil([&] { return IniText(s.folder, L"MAIN", row.key) == row.folder; }))
            << Narrow(IniText(s.folder, L"MAIN", row.key)) << " / " << Narrow(FieldText(s.app.Control(row.field)))
            << " / " << Narrow(row.folder);
        EXPECT_EQ(FieldText(s.app.Control(row.field)), row.folder);
    }
    EXPECT_TRUE(s.app.Close());
}

} // namespace
