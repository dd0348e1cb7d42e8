#include "app/options_page.h"

#include "app/options_page_ids.h"
#include "base/choosers.h"
#include "base/control_lock.h"
#include "base/control_ids.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/messages.h"
#include "base/options.h"
#include "base/page_kit.h"
#include "base/process.h"
#include "base/settings.h"
#include "base/status.h"
#include "base/tabs.h"
#include "controls/page_table.h"
#include "res/app_resources.h"

#include <cwchar>
#include <string>

namespace quenzel {

namespace {
constexpr int OptionsIconSize = 64;
constexpr wchar_t MainSection[] = L"MAIN";
constexpr wchar_t OptionsSection[] = L"OPTIONS";

// Created visible, in this order.
constexpr ControlSpec OptionsControls[] = {
    Shown(Frame(IDC_OPTIONS_FRAME, {125, 42, 648, 356})),
    Shown(GroupBox(IDC_OPTIONS_GROUP_MAIN, keys::MainGroup, {132, 48, 314, 282})),
    Shown(GroupBox(IDC_OPTIONS_GROUP_FILE, keys::FileOptionsGroup, {452, 48, 314, 168})),
    Shown(GroupBox(IDC_OPTIONS_GROUP_FOLDER, keys::FolderOptionsGroup, {452, 218, 314, 112})),
    Shown(Strip(IDC_OPTIONS_STRIP, IDB_STRIP_OPTIONS)),
    Shown(CheckBox(IDC_OPTIONS_RECYCLE, keys::RecycleSource, {468, 69, 290, 26})),
    Shown(CheckBox(IDC_OPTIONS_ADD_ENC, keys::AddEnc, {468, 97, 289, 26})),
    Shown(CheckBox(IDC_OPTIONS_REMOVE_ENC, keys::RemoveEnc, {468, 125, 290, 26})),
    Shown(CheckBox(IDC_OPTIONS_ADD_DEC, keys::AddDec, {468, 153, 290, 26})),
    Shown(CheckBox(IDC_OPTIONS_STRONG_FORMAT, keys::StrongFormatOption, {468, 181, 286, 26}, BS_MULTILINE)),
    Shown(CheckBox(IDC_OPTIONS_ADD_ENCRYPTED, keys::AddEncryptedFolder, {468, 239, 290, 26})),
    Shown(CheckBox(IDC_OPTIONS_REMOVE_ENCRYPTED, keys::RemoveEncryptedFolder, {468, 267, 290, 26})),
    Shown(CheckBox(IDC_OPTIONS_ADD_DECRYPTED, keys::AddDecryptedFolder, {468, 295, 290, 26})),
    // Each output folder's row as it reads: check box, field, "..." (the Tab order).
    Shown(CheckBox(IDC_OPTIONS_ENCRYPT_TO, keys::EncryptIntoFolder, {144, 338, 170, 26})),
    Shown(Field(IDC_OPTIONS_ENC_PATH, {320, 338, 400, 22})),
    Shown(BrowseButton(IDC_OPTIONS_BROWSE_ENC, {726, 338, 30, 22}, keys::ChooseEncPathTip)),
    Shown(CheckBox(IDC_OPTIONS_DECRYPT_TO, keys::DecryptIntoFolder, {144, 366, 170, 26})),
    Shown(Field(IDC_OPTIONS_DEC_PATH, {320, 366, 400, 22})),
    Shown(BrowseButton(IDC_OPTIONS_BROWSE_DEC, {726, 366, 30, 22}, keys::ChooseDecPathTip)),
    Shown(Icon(IDC_OPTIONS_ICON, IDI_OPTIONS, {154, 227, 0, 0}, OptionsIconSize)),
    Shown(Label(IDC_OPTIONS_TEXT, keys::OptionsText, {180, 80, 220, 130}, SS_CENTER)),
    Shown(Bitmap(IDC_OPTIONS_PICTURE, IDB_OPTIONS_PICTURE, {240, 210, 0, 0}, SS_REALSIZEIMAGE)),
};
static_assert(ControlIdsUnique(OptionsControls), "options page ids must be unique");

// The main window's own controls: never shown or hidden with a page.
constexpr ControlSpec WindowControls[] = {
    Shown(Bitmap(IDC_BANNER, IDB_BANNER, {8, 8, 100, 332})),
    Shown(
        ButtonEx(IDC_HELPBUTTON, IconButtonStyle, 0, nullptr, IDI_HELPBUTTON, {8, 348, 100, 97}, keys::HelpButtonTip)),
};
static_assert(ControlIdsUnique(WindowControls), "window control ids must be unique");

HWND Control(int id)
{
    return MainControl(id);
}

std::wstring MainKeyOf(int checkBoxId)
{
    return std::to_wstring(checkBoxId - IDC_OPTIONS_FIRST_CHECK);
}

// Where a check box is stored. The strong format's box has a key of its own:
// MAIN "4" may hold what older copies wrote there, and must not switch the
// format on.
struct StoredFlag {
    const wchar_t* section;
    std::wstring key;
};

StoredFlag StoredFlagOf(int checkBoxId)
{
    if (checkBoxId == IDC_OPTIONS_STRONG_FORMAT)
        return {OptionsSection, L"StrongFormat"};
    return {MainSection, MainKeyOf(checkBoxId)};
}

bool StoredFlagSet(int checkBoxId)
{
    const StoredFlag flag = StoredFlagOf(checkBoxId);
    return ReadIntSetting(flag.section, flag.key.c_str(), 0) != 0;
}

// The folder field and its "..." button follow their check box.
void EnableFolderChoice(int fieldId, int buttonId, bool enable)
{
    EnableWindow(Control(fieldId), enable);
    EnableWindow(Control(buttonId), enable);
}

// The options as the boxes and fields show them now, for the jobs.
void StoreShownOptions()
{
    Options options;
    options.recycleSource = Checked(IDC_OPTIONS_RECYCLE);
    options.addEnc = Checked(IDC_OPTIONS_ADD_ENC);
    options.removeEnc = Checked(IDC_OPTIONS_REMOVE_ENC);
    options.addDec = Checked(IDC_OPTIONS_ADD_DEC);
    options.strongFormat = Checked(IDC_OPTIONS_STRONG_FORMAT);
    options.removeEncrypted = Checked(IDC_OPTIONS_REMOVE_ENCRYPTED);
    options.addEncrypted = Checked(IDC_OPTIONS_ADD_ENCRYPTED);
    options.addDecrypted = Checked(IDC_OPTIONS_ADD_DECRYPTED);
    options.encryptTo = Checked(IDC_OPTIONS_ENCRYPT_TO);
    options.decryptTo = Checked(IDC_OPTIONS_DECRYPT_TO);
    options.encPath = TextOf(Control(IDC_OPTIONS_ENC_PATH));
    options.decPath = TextOf(Control(IDC_OPTIONS_DEC_PATH));
    StoreOptions(options);
}

// The boxes a running job was started with stay as they are until it ends.
void EnableJobBoxes(bool enable)
{
    constexpr int JobBoxes[] = {IDC_OPTIONS_RECYCLE, IDC_OPTIONS_ADD_ENC, IDC_OPTIONS_ADD_DEC,
                                IDC_OPTIONS_STRONG_FORMAT};
    EnableControls(JobBoxes, enable);
}

void LoadStoredOptions()
{
    for (int id = IDC_OPTIONS_FIRST_CHECK; id <= IDC_OPTIONS_LAST_CHECK; ++id)
        SendMessageW(Control(id), BM_SETCHECK, StoredFlagSet(id) ? BST_CHECKED : BST_UNCHECKED, 0);
    SetWindowTextW(Control(IDC_OPTIONS_ENC_PATH), ReadTextSetting(MainSection, L"EncPath").c_str());
    SetWindowTextW(Control(IDC_OPTIONS_DEC_PATH), ReadTextSetting(MainSection, L"DecPath").c_str());
    if (ReadIntSetting(MainSection, MainKeyOf(IDC_OPTIONS_ENCRYPT_TO).c_str(), 0) == 0)
        EnableFolderChoice(IDC_OPTIONS_ENC_PATH, IDC_OPTIONS_BROWSE_ENC, false);
    if (ReadIntSetting(MainSection, MainKeyOf(IDC_OPTIONS_DECRYPT_TO).c_str(), 0) == 0)
        EnableFolderChoice(IDC_OPTIONS_DEC_PATH, IDC_OPTIONS_BROWSE_DEC, false);
}

void OnOptionCheckBox(int id)
{
    const StoredFlag flag = StoredFlagOf(id);
    const int stored = ToggleFlagSetting(flag.section, flag.key.c_str());
    if (stored < 0) {
        ReportSettingNotSaved();
        // The box shows what the file holds.
        SendMessageW(Control(id), BM_SETCHECK, StoredFlagSet(id) ? BST_CHECKED : BST_UNCHECKED, 0);
        StoreShownOptions();
        return;
    }
    if (id == IDC_OPTIONS_ENCRYPT_TO)
        EnableFolderChoice(IDC_OPTIONS_ENC_PATH, IDC_OPTIONS_BROWSE_ENC, stored == 1);
    else if (id == IDC_OPTIONS_DECRYPT_TO)
        EnableFolderChoice(IDC_OPTIONS_DEC_PATH, IDC_OPTIONS_BROWSE_DEC, stored == 1);
    SendMessageW(Control(id), BM_SETCHECK, stored ? BST_CHECKED : BST_UNCHECKED, 0);
    StoreShownOptions();
}

void OnBrowseOutputFolder(int fieldId, const wchar_t* key)
{
    std::wstring folder;
    if (!ChooseFolder(LangText(keys::OutputFolderTitle), folder))
        return;
    SetWindowTextW(Control(fieldId), folder.c_str());
    StoreShownOptions();
    if (!WriteSetting(MainSection, key, folder.c_str()))
        ReportSettingNotSaved();
}
} // namespace

std::wstring SafeStartSettingsText()
{
    constexpr int SafeStartBoxes[] = {IDC_OPTIONS_STRONG_FORMAT, IDC_OPTIONS_ADD_ENC, IDC_OPTIONS_REMOVE_ENC,
                                      IDC_OPTIONS_ADD_ENCRYPTED, IDC_OPTIONS_REMOVE_ENCRYPTED};
    std::wstring mainKeys;
    std::wstring optionKeys;
    for (int id : SafeStartBoxes) {
        const StoredFlag flag = StoredFlagOf(id);
        (wcscmp(flag.section, OptionsSection) == 0 ? optionKeys : mainKeys) += flag.key + L"=1\r\n";
    }
    return std::wstring(L"[") + MainSection + L"]\r\n" + mainKeys + L"[" + OptionsSection + L"]\r\n" + optionKeys;
}

void OptionsPage_Create(HWND parent)
{
    CreatePageControls(parent, MakePageTable(OptionsControls));
    LoadStoredOptions();
    StoreShownOptions();
    RegisterOptionsRoutines(OptionsRoutines{StoreShownOptions, EnableJobBoxes});
    CreatePageControls(parent, MakePageTable(WindowControls));
    CreateTabControl(parent);
    RegisterPage(OptionsPageIndex, PageRoutines{OptionsPage_Show, OptionsPage_OnCommand});
    SetStatusText(LangText(keys::WelcomeStatus), 0, StatusInfoPart);
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
    else if (id == IDC_OPTIONS_ENC_PATH || id == IDC_OPTIONS_DEC_PATH)
        StoreShownOptions(); // a field's change, or its focus leaving it
}

} // namespace quenzel
