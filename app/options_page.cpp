#include "app/options_page.h"

#include "base/choosers.h"
#include "base/control_ids.h"
#include "base/language.h"
#include "base/messages.h"
#include "base/options_page_ids.h"
#include "base/settings.h"
#include "base/shell.h"
#include "base/status.h"
#include "base/tabs.h"
#include "controls/page_table.h"
#include "res/resource.h"

#include <string>

namespace quenzel {

namespace {
constexpr int WelcomeStatusKey = 31;
constexpr int OutputFolderTitleKey = 2;
constexpr int OptionsIconSize = 64;
constexpr DWORD BrowseButtonStyle = 0x140;   // rounded, caption only
constexpr DWORD HelpButtonStyle = 0x1540;    // rounded, icon only
constexpr wchar_t MainSection[] = L"MAIN";

constexpr ControlSpec CheckBox(int id, int textKey, ControlRect place, DWORD extraStyle = 0)
{
    return ControlSpec{id, L"button", BS_AUTOCHECKBOX | extraStyle, 0, place, textKey, nullptr,
                       ControlFont::Normal, true};
}

// Created visible, in this order.
constexpr ControlSpec OptionsControls[] = {
    {IDC_OPTIONS_FRAME, L"STATIC", SS_GRAYFRAME, 0, {125, 42, 648, 356}, 0, nullptr, ControlFont::None, true},
    {IDC_OPTIONS_GROUP_MAIN, L"BUTTON", BS_GROUPBOX, 0, {132, 48, 314, 282}, 7, nullptr, ControlFont::Bold, true},
    {IDC_OPTIONS_GROUP_FILE, L"BUTTON", BS_GROUPBOX, 0, {452, 48, 314, 168}, 8, nullptr, ControlFont::Bold, true},
    {IDC_OPTIONS_GROUP_FOLDER, L"BUTTON", BS_GROUPBOX, 0, {452, 218, 314, 112}, 9, nullptr, ControlFont::Bold,
     true},
    {IDC_OPTIONS_STRIP, L"STATIC", SS_BITMAP, 0, {115, 414, 670, 31}, 0, nullptr, ControlFont::None, true,
     ControlKind::Window, IDB_STRIP_OPTIONS},
    CheckBox(IDC_OPTIONS_RECYCLE, 11, {468, 69, 290, 26}),
    CheckBox(IDC_OPTIONS_ADD_ENC, 12, {468, 97, 289, 26}),
    CheckBox(IDC_OPTIONS_REMOVE_ENC, 13, {468, 125, 290, 26}),
    CheckBox(IDC_OPTIONS_ADD_DEC, 14, {468, 153, 290, 26}),
    CheckBox(IDC_OPTIONS_RESERVED, 15, {468, 181, 286, 26}, WS_DISABLED),
    CheckBox(IDC_OPTIONS_ADD_ENCRYPTED, 16, {468, 239, 290, 26}),
    CheckBox(IDC_OPTIONS_REMOVE_ENCRYPTED, 17, {468, 267, 290, 26}),
    CheckBox(IDC_OPTIONS_ADD_DECRYPTED, 18, {468, 295, 290, 26}),
    CheckBox(IDC_OPTIONS_ENCRYPT_TO, 19, {144, 338, 170, 26}),
    CheckBox(IDC_OPTIONS_DECRYPT_TO, 20, {144, 366, 170, 26}),
    {IDC_OPTIONS_ENC_PATH, L"EDIT", 0, WS_EX_CLIENTEDGE, {320, 338, 400, 22}, 0, nullptr, ControlFont::Normal, true},
    {IDC_OPTIONS_DEC_PATH, L"EDIT", 0, WS_EX_CLIENTEDGE, {320, 366, 400, 22}, 0, nullptr, ControlFont::Normal, true},
    {IDC_OPTIONS_BROWSE_ENC, L"ButtonExClass", BrowseButtonStyle, 0, {726, 338, 30, 22}, 0, L"...",
     ControlFont::None, true, ControlKind::ButtonEx, 0, 0, 21},
    {IDC_OPTIONS_BROWSE_DEC, L"ButtonExClass", BrowseButtonStyle, 0, {726, 366, 30, 22}, 0, L"...",
     ControlFont::None, true, ControlKind::ButtonEx, 0, 0, 22},
    {IDC_OPTIONS_ICON, L"static", SS_ICON, 0, {154, 227, 0, 0}, 0, nullptr, ControlFont::None, true,
     ControlKind::Window, IDI_OPTIONS, OptionsIconSize},
    {IDC_OPTIONS_TEXT, L"STATIC", SS_CENTER, 0, {180, 80, 220, 130}, 23, nullptr, ControlFont::Normal, true},
    {IDC_OPTIONS_PICTURE, L"STATIC", SS_BITMAP | SS_REALSIZEIMAGE, 0, {240, 210, 0, 0}, 0, nullptr,
     ControlFont::None, true, ControlKind::Window, IDB_OPTIONS_PICTURE},
};
static_assert(ControlIdsUnique(OptionsControls), "options page ids must be unique");

// The main window's own controls: never shown or hidden with a page.
constexpr ControlSpec WindowControls[] = {
    {IDC_BANNER, L"STATIC", SS_BITMAP, 0, {8, 8, 100, 332}, 0, nullptr, ControlFont::None, true,
     ControlKind::Window, IDB_BANNER},
    {IDC_HELPBUTTON, L"ButtonExClass", HelpButtonStyle, 0, {8, 348, 100, 97}, 0, nullptr, ControlFont::None, true,
     ControlKind::ButtonEx, IDI_HELPBUTTON, 0, 10},
};
static_assert(ControlIdsUnique(WindowControls), "window control ids must be unique");

HWND Control(int id)
{
    return GetDlgItem(MainWindow, id);
}

std::wstring MainKeyOf(int checkBoxId)
{
    return std::to_wstring(checkBoxId - IDC_OPTIONS_FIRST_CHECK);
}

// The folder field and its "..." button follow their check box.
void EnableFolderChoice(int fieldId, int buttonId, bool enable)
{
    EnableWindow(Control(fieldId), enable);
    EnableWindow(Control(buttonId), enable);
}

void LoadStoredOptions()
{
    for (int id = IDC_OPTIONS_FIRST_CHECK; id <= IDC_OPTIONS_LAST_CHECK; ++id) {
        const bool set = ReadIntSetting(MainSection, MainKeyOf(id).c_str(), 0) != 0;
        SendMessageW(Control(id), BM_SETCHECK, set ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    SetWindowTextW(Control(IDC_OPTIONS_ENC_PATH), ReadTextSetting(MainSection, L"EncPath").c_str());
    SetWindowTextW(Control(IDC_OPTIONS_DEC_PATH), ReadTextSetting(MainSection, L"DecPath").c_str());
    if (ReadIntSetting(MainSection, MainKeyOf(IDC_OPTIONS_ENCRYPT_TO).c_str(), 0) == 0)
        EnableFolderChoice(IDC_OPTIONS_ENC_PATH, IDC_OPTIONS_BROWSE_ENC, false);
    if (ReadIntSetting(MainSection, MainKeyOf(IDC_OPTIONS_DECRYPT_TO).c_str(), 0) == 0)
        EnableFolderChoice(IDC_OPTIONS_DEC_PATH, IDC_OPTIONS_BROWSE_DEC, false);
}

void OnOptionCheckBox(int id)
{
    const int stored = ToggleFlagSetting(MainSection, MainKeyOf(id).c_str());
    if (stored < 0) {
        ReportSettingNotSaved();
        // The box shows what the file holds.
        SendMessageW(Control(id), BM_SETCHECK,
                     ReadIntSetting(MainSection, MainKeyOf(id).c_str(), 0) ? BST_CHECKED : BST_UNCHECKED, 0);
        return;
    }
    if (id == IDC_OPTIONS_ENCRYPT_TO)
        EnableFolderChoice(IDC_OPTIONS_ENC_PATH, IDC_OPTIONS_BROWSE_ENC, stored == 1);
    else if (id == IDC_OPTIONS_DECRYPT_TO)
        EnableFolderChoice(IDC_OPTIONS_DEC_PATH, IDC_OPTIONS_BROWSE_DEC, stored == 1);
    SendMessageW(Control(id), BM_SETCHECK, stored ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OnBrowseOutputFolder(int fieldId, const wchar_t* key)
{
    std::wstring folder;
    if (!ChooseFolder(LangText(OutputFolderTitleKey), folder))
        return;
    SetWindowTextW(Control(fieldId), folder.c_str());
    if (!WriteSetting(MainSection, key, folder.c_str()))
        ReportSettingNotSaved();
}
} // namespace

void OptionsPage_Create(HWND parent)
{
    CreatePageControls(parent, MakePageTable(OptionsControls));
    LoadStoredOptions();
    CreatePageControls(parent, MakePageTable(WindowControls));
    CreateTabControl(parent);
    RegisterPage(OptionsPageIndex, PageRoutines{OptionsPage_Show, OptionsPage_OnCommand});
    SetStatusText(LangText(WelcomeStatusKey), 0, StatusInfoPart);
}

void OptionsPage_Show(int showCommand)
{
    ShowPageControls(MainWindow, MakePageTable(OptionsControls), showCommand);
    if (showCommand != SW_HIDE)
        SetStatusText(L"", 0, StatusInfoPart);
}

void OptionsPage_OnCommand(int id)
{
    if (id >= IDC_OPTIONS_FIRST_CHECK && id <= IDC_OPTIONS_LAST_CHECK)
        OnOptionCheckBox(id);
    else if (id == IDC_OPTIONS_BROWSE_ENC)
        OnBrowseOutputFolder(IDC_OPTIONS_ENC_PATH, L"EncPath");
    else if (id == IDC_OPTIONS_BROWSE_DEC)
        OnBrowseOutputFolder(IDC_OPTIONS_DEC_PATH, L"DecPath");
}

} // namespace quenzel
