#include "drives/new_drive_dialog.h"

#include "base/choosers.h"
#include "base/control_lock.h"
#include "base/courier.h"
#include "base/job_workers.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/page_kit.h"
#include "base/pictures.h"
#include "base/process.h"
#include "base/settings.h"
#include "drives/drive_engine.h"
#include "drives/folder_drive_value.h"
#include "res/drives_resources.h"

#include <windows.h>
#include <windowsx.h>

#include <memory>
#include <string>

namespace quenzel {

namespace {
constexpr int ChoiceTextLength = 100;

std::wstring DialogText(HWND dialog, int id, int limit)
{
    std::wstring text(static_cast<std::size_t>(limit) + 1, L'\0');
    const int length = GetDlgItemTextW(dialog, id, text.data(), limit + 1);
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
}

void WarnInDialog(HWND dialog, int key, int captionKey)
{
    const std::wstring text = LangString(key);
    const std::wstring caption = LangString(captionKey);
    MessageBoxW(dialog, text.c_str(), caption.c_str(), MB_ICONWARNING);
}

// The first entry of the section that holds nothing: where reading stops.
TextSetting FirstFreeEntry()
{
    for (unsigned n = 0;; ++n) {
        if (ReadSetting(setting::FolderDrives[n]).empty())
            return setting::FolderDrives[n];
    }
}

void OnInitDialog(HWND dialog)
{
    SetWindowTextW(dialog, LangText(keys::NewDriveTitle));
    SetDialogIcon(dialog, IDC_NEWDRIVE_ICON, IDI_FOLDER_DRIVE);
    SetDlgItemTextW(dialog, IDOK, LangText(keys::NewDriveOk));
    SetDlgItemTextW(dialog, IDCANCEL, LangText(keys::NewDriveCancel));
    SetDlgItemTextW(dialog, IDC_NEWDRIVE_GROUP, LangText(keys::NewDriveGroup));
    HWND combo = GetDlgItem(dialog, IDC_NEWDRIVE_LETTER);
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
        if (IsDriveLetterFree(letter))
            ComboBox_AddString(combo, DriveColumnText(letter).c_str());
    ComboBox_SetCurSel(combo, 0);
}

void OnBrowse(HWND dialog)
{
    std::wstring folder;
    // Owned by the dialog, which the picker disables while it is open.
    if (ChooseFolder(LangText(keys::NewDriveFolderTitle), folder, dialog))
        SetDlgItemTextW(dialog, IDC_NEWDRIVE_FOLDER, folder.c_str());
}

constexpr int DialogControls[] = {IDOK, IDCANCEL, IDC_NEWDRIVE_BROWSE, IDC_NEWDRIVE_LETTER, IDC_NEWDRIVE_FOLDER};

// One mapping at a time, with the dialog's controls disabled: taken when
// OK starts the worker, released when its outcome reaches the dialog.
ControlLock Mapping(DialogControls);

enum class Outcome { Failed, NotStored, NotMounted, Mounted };

struct OutcomeReport {
    int key;
    int captionKey;
};
// By Outcome, from NotStored on: a failed worker has reported already.
constexpr OutcomeReport OutcomeReports[] = {{keys::DrivesNotSaved, keys::ErrorCaption},
                                            {keys::NewDriveNotMounted, keys::NewDriveNotMountedCaption},
                                            {keys::NewDriveMounted, keys::NewDriveMountedCaption}};

struct MappingWork {
    HWND dialog;
    FolderDrive drive;
};

void OnMapped(HWND dialog, Outcome outcome);

// Posts the worker's outcome through the courier on every way out of its work, an exception's
// included, so the dialog never stays disabled.
class OutcomeNotice {
public:
    explicit OutcomeNotice(HWND dialog)
        : dialog_(dialog)
    { }
    ~OutcomeNotice()
    {
        PostCall([dialog = dialog_, outcome = outcome] {
            Mapping.Release();
            if (IsWindow(dialog))
                OnMapped(dialog, outcome);
        });
    }
    OutcomeNotice(const OutcomeNotice&) = delete;
    OutcomeNotice& operator=(const OutcomeNotice&) = delete;
    Outcome outcome = Outcome::Failed;

private:
    HWND dialog_;
};

// subst may take seconds: the dialog's thread keeps drawing meanwhile. The
// definition is stored whether or not the mapping took effect.
DWORD WINAPI MappingWorker(void* parameter)
{
    const std::unique_ptr<MappingWork> work(static_cast<MappingWork*>(parameter));
    const JobWorker worker(WorkerKind::Command);
    OutcomeNotice notice(work->dialog);
    const FolderDrive& drive = work->drive;
    const bool mounted = MountFolderDrive(drive).Succeeded();
    AnimateDriveProgress();
    if (!mounted)
        ClearDriveProgress();
    const bool stored = WriteSetting(FirstFreeEntry(), FolderDriveValue(drive));
    ReloadFolderDrives();
    notice.outcome = !stored ? Outcome::NotStored : mounted ? Outcome::Mounted : Outcome::NotMounted;
    return 0;
}

// Checks the dialog's choice; false (after a message) when it cannot be
// mapped.
bool ReadChoice(HWND dialog, FolderDrive& drive)
{
    drive = FolderDrive{true, 0, DialogText(dialog, IDC_NEWDRIVE_FOLDER, MaxTextLength)};
    if (!HoldsFolder(drive.folder)) {
        WarnInDialog(dialog, keys::NoFolder, keys::NoFolderCaption);
        SetFocus(GetDlgItem(dialog, IDC_NEWDRIVE_FOLDER));
        return false;
    }
    drive.letter = LetterFromChoice(DialogText(dialog, IDC_NEWDRIVE_LETTER, ChoiceTextLength));
    // A typed letter may be taken: subst would fail, and the taken letter
    // would then look like a mounted drive.
    const int letterProblem = drive.letter == 0 ? keys::InvalidLetter
        : IsDriveLetterFree(drive.letter)       ? 0
                                                : keys::LetterInUse;
    if (letterProblem != 0) {
        WarnInDialog(dialog, letterProblem, keys::InvalidLetterCaption);
        SetFocus(GetDlgItem(dialog, IDC_NEWDRIVE_LETTER));
        return false;
    }
    return true;
}

// Starts mapping the chosen drive with the dialog disabled.
void OnOk(HWND dialog)
{
    auto work = std::make_unique<MappingWork>(MappingWork{dialog, FolderDrive{}});
    if (!ReadChoice(dialog, work->drive) || !Mapping.Take(dialog))
        return;
    if (StartWorker(MappingWorker, work.get()))
        work.release();
    else
        Mapping.Release();
}

// Reports the worker's outcome, the lock released; the dialog closes
// unless the worker failed.
void OnMapped(HWND dialog, Outcome outcome)
{
    if (outcome == Outcome::Failed)
        return;
    const OutcomeReport& report = OutcomeReports[static_cast<std::size_t>(outcome) - 1];
    WarnInDialog(dialog, report.key, report.captionKey);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK NewDriveProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        OnInitDialog(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    // Escape and the close box give IDCANCEL even with the buttons disabled.
    if (Mapping.Held())
        return TRUE;
    switch (LOWORD(wParam)) {
    case IDC_NEWDRIVE_BROWSE:
        OnBrowse(dialog);
        return TRUE;
    case IDOK:
        OnOk(dialog);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}
} // namespace

void ShowNewDriveDialog()
{
    DialogBoxParamW(Instance, MAKEINTRESOURCEW(IDD_NEWDRIVE), MainWindow, NewDriveProc, 0);
}

} // namespace quenzel
