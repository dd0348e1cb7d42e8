#include "drives/new_drive_dialog.h"

#include "base/lang_keys.h"
#include "base/choosers.h"
#include "base/language.h"
#include "base/page_kit.h"
#include "base/settings.h"
#include "base/shell.h"
#include "drives/drive_engine.h"
#include "drives/folder_drive_value.h"
#include "res/resource.h"

#include <windows.h>
#include <windowsx.h>

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

// The first key of the section that holds nothing: where reading stops.
std::wstring FirstFreeKey()
{
    for (unsigned key = 0;; ++key) {
        const std::wstring name = std::to_wstring(key);
        if (ReadTextSetting(FolderDrivesSection, name.c_str()).empty())
            return name;
    }
}

void OnInitDialog(HWND dialog)
{
    SetWindowTextW(dialog, LangText(keys::NewDriveTitle));
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
    if (ChooseFolder(LangText(keys::NewDriveFolderTitle), folder))
        SetDlgItemTextW(dialog, IDC_NEWDRIVE_FOLDER, folder.c_str());
}

// Maps and stores the new drive; false keeps the dialog open.
bool OnOk(HWND dialog)
{
    FolderDrive drive{true, 0, DialogText(dialog, IDC_NEWDRIVE_FOLDER, MaxTextLength)};
    if (drive.folder.empty()) {
        WarnInDialog(dialog, keys::NoFolder, keys::NoFolderCaption);
        SetFocus(GetDlgItem(dialog, IDC_NEWDRIVE_FOLDER));
        return false;
    }
    drive.letter = LetterFromChoice(DialogText(dialog, IDC_NEWDRIVE_LETTER, ChoiceTextLength));
    // A typed letter may be taken: subst would fail, and the taken letter
    // would then look like a mounted drive.
    const int letterProblem = drive.letter == 0 ? keys::InvalidLetter
                              : IsDriveLetterFree(drive.letter) ? 0
                                                                : keys::LetterInUse;
    if (letterProblem != 0) {
        WarnInDialog(dialog, letterProblem, keys::InvalidLetterCaption);
        SetFocus(GetDlgItem(dialog, IDC_NEWDRIVE_LETTER));
        return false;
    }
    MapFolderDrive(drive);
    AnimateDriveProgress();
    // The definition is stored whether or not the mapping took effect.
    const bool stored = WriteSetting(FolderDrivesSection, FirstFreeKey().c_str(), FolderDriveValue(drive).c_str());
    ReloadFolderDrives();
    if (!stored)
        WarnInDialog(dialog, keys::DrivesNotSaved, keys::ErrorCaption);
    else if (IsDriveLetterFree(drive.letter))
        WarnInDialog(dialog, keys::NewDriveNotMounted, keys::NewDriveNotMountedCaption);
    else
        WarnInDialog(dialog, keys::NewDriveMounted, keys::NewDriveMountedCaption);
    return true;
}

INT_PTR CALLBACK NewDriveProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        OnInitDialog(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_NEWDRIVE_BROWSE:
        OnBrowse(dialog);
        return TRUE;
    case IDOK:
        if (OnOk(dialog))
            EndDialog(dialog, IDOK);
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
