#include "drives/drives_page.h"

#include "base/dpi.h"
#include "base/control_lock.h"
#include "base/courier.h"
#include "base/job_workers.h"
#include "base/lang_keys.h"
#include "base/list_view.h"
#include "base/language.h"
#include "base/messages.h"
#include "base/page_kit.h"
#include "base/pictures.h"
#include "base/process.h"
#include "base/settings.h"
#include "base/status.h"
#include "base/tabs.h"
#include "controls/button_ex.h"
#include "controls/page_table.h"
#include "drives/drive_engine.h"
#include "drives/drives_page_ids.h"
#include "drives/logon_start.h"
#include "drives/new_drive_dialog.h"
#include "res/drives_resources.h"

#include <commctrl.h>
#include <shellapi.h>

#include <iterator>
#include <string>

namespace quenzel {

namespace {
constexpr DWORD CommandButtonStyle = BXS_ROUNDED | BS_ICON;
constexpr int RowIconSize = 16;
constexpr ListLook DrivesListLook{LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT, IDI_FOLDER_DRIVE_SMALL,
                                  RowIconSize};

// The four command buttons: their icon beside the caption.
constexpr ControlSpec CommandButton(int id, int iconId, int y, int textKey, int tooltipKey)
{
    return ButtonEx(id, CommandButtonStyle, textKey, nullptr, iconId, {646, y, 110, 40}, tooltipKey);
}

// Created hidden, in this order.
constexpr ControlSpec DrivesControls[] = {
    Strip(IDC_DRIVES_BANNER, IDB_STRIP_DRIVES),
    Frame(IDC_DRIVES_FRAME, {125, 42, 648, 356}),
    GroupBox(IDC_DRIVES_GROUP, keys::DrivesGroup, {132, 48, 634, 342}),
    // The left column (list, check box), then the buttons on the right: the Tab order.
    ListView(IDC_DRIVES_LIST, {142, 70, 494, 258}, LVS_SINGLESEL),
    CheckBox(IDC_DRIVES_LOGON, keys::LogonOption, {143, 332, 494, 26}),
    PlacedProgressBar(IDC_DRIVES_PROGRESS, {142, 358, 494, 22}),
    CommandButton(IDC_DRIVES_MOUNT, IDI_DRIVE_MOUNT, 70, keys::MountCaption, keys::MountTip),
    CommandButton(IDC_DRIVES_UNMOUNT, IDI_DRIVE_UNMOUNT, 120, keys::UnmountCaption, keys::UnmountTip),
    CommandButton(IDC_DRIVES_APPLY, IDI_DRIVE_APPLY, 180, keys::ApplyCaption, keys::ApplyTip),
    CommandButton(IDC_DRIVES_REMOVE, IDI_DRIVE_REMOVE, 230, keys::RemoveDriveCaption, keys::RemoveDriveTip),
    LargeButton(IDC_DRIVES_NEW, keys::NewDriveCaption, IDI_DRIVE_NEW, {646, 290, 110, 90}, keys::NewDriveTip),
};
static_assert(ControlIdsUnique(DrivesControls), "folder drives page ids must be unique");

// The folder column takes what the others leave, so the status column is in
// view without scrolling; the mapping column is hidden.
constexpr ListColumn DrivesListColumns[] = {{keys::DriveColumnHeader, 80},
                                            {keys::DriveFolderColumnHeader, RestOfWidth},
                                            {keys::MappingColumnHeader, 0},
                                            {keys::DriveStatusColumnHeader, 180}};

constexpr int CommandButtons[] = {IDC_DRIVES_MOUNT, IDC_DRIVES_UNMOUNT, IDC_DRIVES_APPLY, IDC_DRIVES_REMOVE,
                                  IDC_DRIVES_NEW};

// One mount, unmount, apply or remove at a time; the buttons are disabled
// while it runs.
ControlLock Commands(CommandButtons);

void EndCommand() noexcept
{
    Commands.Release();
}

bool Ask(const std::wstring& question)
{
    return AskOnWindow(question, LangString(keys::QuestionCaption), false);
}

// A question whose Yes destroys something: Enter pressed by habit says No.
bool AskDefaultNo(const std::wstring& question)
{
    return AskOnWindow(question, LangString(keys::QuestionCaption), true);
}

void Report(int key, int captionKey)
{
    ShowWarningBox(LangString(key), captionKey);
}

void ReportNothingSelected()
{
    Report(keys::NoDriveSelected, keys::NoDriveSelectedCaption);
}

// On the window's thread: the shell's own message about a failure is owned
// by the main window, which must be of the calling thread.
void ExploreDrive(wchar_t letter)
{
    const std::wstring drive = std::wstring(1, letter) + L":";
    OnWindowThread([&drive] { ShellExecuteW(MainWindow, L"explore", drive.c_str(), nullptr, nullptr, SW_SHOW); });
}

// The selected row and its drive; false (after the "nothing selected"
// report) when no row with a drive is selected.
bool SelectedDrive(int& row, FolderDrive& drive)
{
    row = SelectedDriveRow();
    if (row >= 0 && DriveOfRow(row, drive))
        return true;
    ReportNothingSelected();
    return false;
}

// Unmapping the letter would end another drive: it is left alone, and the
// message names what holds it.
bool RefuseOtherDrive(const FolderDrive& drive)
{
    if (HolderOfLetter(drive) != LetterHolder::OtherDrive)
        return false;
    ReloadFolderDrives();
    WarnUserText(FormatLangText(keys::LetterHeldByOtherDrive, MaxTextLength, LetterHolderText(drive.letter).c_str()));
    return true;
}

bool IsMounted(const FolderDrive& drive)
{
    return HolderOfLetter(drive) == LetterHolder::ThisFolder;
}

void MountSelectedDrive()
{
    int row = -1;
    FolderDrive drive;
    if (!SelectedDrive(row, drive))
        return;
    if (!Ask(LangString(keys::MountQuestion) + DriveRowText(row, DriveColumn) + LangString(keys::MountQuestionEnd)))
        return;
    const MountOutcome outcome = IsMounted(drive) ? MountOutcome{} : MountFolderDrive(drive);
    ReloadFolderDrives();
    if (!outcome.Succeeded()) {
        ClearDriveProgress();
        WarnUserText(MountFailureText(drive, outcome));
        return;
    }
    Report(keys::DriveMountedReport, keys::DriveMountedCaption);
    ExploreDrive(drive.letter);
}

void UnmountSelectedDrive()
{
    int row = -1;
    FolderDrive drive;
    if (!SelectedDrive(row, drive))
        return;
    if (!Ask(LangString(keys::UnmountQuestion) + DriveRowText(row, DriveColumn) + LangString(keys::UnmountQuestionEnd)))
        return;
    if (RefuseOtherDrive(drive))
        return;
    // Only a drive of this folder is unmapped; a free letter has nothing to end.
    const bool unmapped = !IsMounted(drive) || UnmapFolderDrive(drive.letter);
    ReloadFolderDrives();
    if (unmapped && IsDriveLetterFree(drive.letter))
        Report(keys::DriveUnmounted, keys::DriveUnmountedCaption);
    else
        Report(keys::DriveStillInUse, keys::DriveStillInUseCaption);
}

// Mounts a ticked drive, unmounts an unticked one that is mounted; false
// when the drive does not end up as its tick says.
bool ApplyDrive(const FolderDrive& drive)
{
    const LetterHolder holder = HolderOfLetter(drive);
    if (!drive.ticked)
        return holder != LetterHolder::ThisFolder || UnmapFolderDrive(drive.letter);
    if (holder != LetterHolder::Nobody)
        return holder == LetterHolder::ThisFolder;
    const bool mounted = MountFolderDrive(drive).Succeeded();
    AnimateDriveProgress();
    return mounted;
}

void ApplyFolderDrives()
{
    if (!SaveFolderDrives()) {
        WarnUser(keys::DrivesNotSaved);
        return;
    }
    if (!Ask(LangString(keys::ApplyQuestion)))
        return;
    bool allApplied = true;
    for (int row = DriveRowCount() - 1; row >= 0; --row) {
        FolderDrive drive;
        if (DriveOfRow(row, drive) && !ApplyDrive(drive))
            allApplied = false;
    }
    ReloadFolderDrives();
    if (allApplied) {
        Report(keys::DrivesApplied, keys::DrivesAppliedCaption);
        return;
    }
    ClearDriveProgress();
    WarnUser(keys::DrivesNotAllApplied);
}

void RemoveSelectedDrive()
{
    int row = -1;
    FolderDrive drive;
    if (!SelectedDrive(row, drive))
        return;
    if (!AskDefaultNo(LangString(keys::RemoveDriveQuestion) + DriveRowText(row, DriveColumn)
                      + LangString(keys::RemoveDriveQuestionEnd)))
        return;
    OnWindowThread([row] { SendMessageW(MainControl(IDC_DRIVES_LIST), LVM_DELETEITEM, static_cast<WPARAM>(row), 0); });
    if (!SaveFolderDrives()) {
        ReloadFolderDrives();
        WarnUser(keys::DrivesNotSaved);
        return;
    }
    const bool unmapped = !IsMounted(drive) || UnmapFolderDrive(drive.letter);
    ReloadFolderDrives();
    Report(keys::DriveRemoved, keys::DriveRemovedCaption);
    if (!unmapped)
        Report(keys::DriveStillInUse, keys::DriveStillInUseCaption);
}

// The command ends on every way out of its work, an exception's included
// (the worker's guard reports that one).
template <void (*Command)()>
DWORD WINAPI CommandWorker(void*)
{
    const JobWorker worker(WorkerKind::Command);
    const WorkEnd end(EndCommand);
    Command();
    return 0;
}

void ShowLogonOption()
{
    const bool on = ReadSetting(setting::LogonStart);
    SendMessageW(MainControl(IDC_DRIVES_LOGON), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The settings file holds the option; the Run value follows it.
void ToggleLogonStart()
{
    const int stored = ToggleSetting(setting::LogonStart);
    if (stored < 0)
        ReportSettingNotSaved();
    else if (!SetLogonRunValue(stored == 1))
        WarnUser(keys::RunValueNotChanged);
    ShowLogonOption();
}

} // namespace

void DrivesPage_Create(HWND parent)
{
    CreatePageControls(parent, MakePageTable(DrivesControls));
    ShowLogonOption();
    SetUpListView(MainControl(IDC_DRIVES_LIST), DrivesListLook, DrivesListColumns);
    ReloadFolderDrives();
    RegisterPage(DrivesPageIndex, PageRoutines{DrivesPage_Show, DrivesPage_OnCommand});
}

void DrivesPage_Show(int showCommand)
{
    ShowPageControls(MainWindow, MakePageTable(DrivesControls), showCommand);
    if (showCommand == SW_HIDE)
        return;
    // Drives the last log-on start did not mount are told once, at the
    // page's first showing after it.
    const int notMounted = TakeLogonNotice();
    const std::wstring info =
        notMounted > 0 ? FormatLangText(keys::LogonNotMountedNotice, MaxTextLength, notMounted) : DrivesPageInfoText();
    SetStatusText(info.c_str(), 0, StatusInfoPart);
}

void DrivesPage_OnCommand(int id)
{
    switch (id) {
    case IDC_DRIVES_MOUNT:
        Commands.StartWorker(CommandWorker<MountSelectedDrive>);
        break;
    case IDC_DRIVES_UNMOUNT:
        Commands.StartWorker(CommandWorker<UnmountSelectedDrive>);
        break;
    case IDC_DRIVES_APPLY:
        Commands.StartWorker(CommandWorker<ApplyFolderDrives>);
        break;
    case IDC_DRIVES_REMOVE:
        Commands.StartWorker(CommandWorker<RemoveSelectedDrive>);
        break;
    case IDC_DRIVES_NEW:
        if (!Commands.Held())
            ShowNewDriveDialog();
        break;
    case IDC_DRIVES_LOGON:
        ToggleLogonStart();
        break;
    default:
        break;
    }
}

} // namespace quenzel
