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

#include <string>

namespace quenzel {

namespace {
constexpr int OptionsIconSize = 64;

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

static_assert(IDC_OPTIONS_LAST_CHECK - IDC_OPTIONS_FIRST_CHECK + 1 == static_cast<int>(setting::OutputOptions.count),
              "every check box has its stored flag");

// Where a check box is stored: the box's number among the ten, but for the
// strong format's box, which has a key of its own.
FlagSetting StoredFlagOf(int checkBoxId)
{
    if (checkBoxId == IDC_OPTIONS_STRONG_FORMAT)
        return setting::StrongFormat;
    return setting::OutputOptions[static_cast<unsigned>(checkBoxId - IDC_OPTIONS_FIRST_CHECK)];
}

bool StoredFlagSet(int checkBoxId)
{
    return ReadSetting(StoredFlagOf(checkBoxId));
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
    SetWindowTextW(Control(IDC_OPTIONS_ENC_PATH), ReadSetting(setting::EncPath).c_str());
    SetWindowTextW(Control(IDC_OPTIONS_DEC_PATH), ReadSetting(setting::DecPath).c_str());
    if (!StoredFlagSet(IDC_OPTIONS_ENCRYPT_TO))
        EnableFolderChoice(IDC_OPTIONS_ENC_PATH, IDC_OPTIONS_BROWSE_ENC, false);
    if (!StoredFlagSet(IDC_OPTIONS_DECRYPT_TO))
        EnableFolderChoice(IDC_OPTIONS_DEC_PATH, IDC_OPTIONS_BROWSE_DEC, false);
}

void OnOptionCheckBox(int id)
{
    const int stored = ToggleSetting(StoredFlagOf(id));
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

void OnBrowseOutputFolder(int fieldId, const TextSetting& stored)
{
    std::wstring folder;
    if (!ChooseFolder(LangText(keys::OutputFolderTitle), folder))
        return;
    SetWindowTextW(Control(fieldId), folder.c_str());
    StoreShownOptions();
    if (!WriteSetting(stored, folder))
        ReportSettingNotSaved();
}
} // namespace

std::wstring SafeStartSettingsText()
{
    return SetFlagsFileText({StoredFlagOf(IDC_OPTIONS_ADD_ENC), StoredFlagOf(IDC_OPTIONS_REMOVE_ENC),
                             StoredFlagOf(IDC_OPTIONS_ADD_ENCRYPTED), StoredFlagOf(IDC_OPTIONS_REMOVE_ENCRYPTED),
                             StoredFlagOf(IDC_OPTIONS_STRONG_FORMAT)});
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
        OnBrowseOutputFolder(IDC_OPTIONS_ENC_PATH, setting::EncPath);
    else if (id == IDC_OPTIONS_BROWSE_DEC)
        OnBrowseOutputFolder(IDC_OPTIONS_DEC_PATH, setting::DecPath);
    else if (id == IDC_OPTIONS_ENC_PATH || id == IDC_OPTIONS_DEC_PATH)
        StoreShownOptions(); // a field's change, or its focus leaving it
}

} // namespace quenzel
