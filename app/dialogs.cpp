// The transparency dialog and the About box.
#include "app/behaviours.h"
#include "base/lang_keys.h"

#include "app/opacity.h"
#include "base/language.h"
#include "base/messages.h"
#include "base/process.h"
#include "base/settings.h"
#include "res/app_resources.h"
#include "version.h"

#include <commctrl.h>

namespace quenzel {

namespace {
// The title buffer holds 50 characters with its terminator; longer titles
// are cut there.
constexpr unsigned TransparencyTitleLength = 49;
constexpr int SliderPageSize = 1;
constexpr int PreviewStep = 1;
constexpr wchar_t TransparencyTemplate[] = L"IDD_TRANSPARENT";
constexpr unsigned AboutLineLength = 127;
constexpr wchar_t ShortVersion[] = L"" QUENZEL_SHORT_VERSION_TEXT;

void SetItemText(HWND dialog, int id, int key)
{
    SetDlgItemTextW(dialog, id, LangText(key));
}

void SetButtonTexts(HWND dialog)
{
    SetItemText(dialog, IDOK, keys::Ok);
    SetItemText(dialog, IDCANCEL, keys::Cancel);
}

int StoredTransparency()
{
    return ReadSetting(setting::Transparent);
}

void SetTransparencyTitle(HWND dialog, int percent)
{
    SetWindowTextW(dialog, FormatLangText(keys::TransparencyTitle, TransparencyTitleLength, percent).c_str());
}

void OnTransparencyInit(HWND dialog)
{
    const int stored = StoredTransparency();
    SetTransparencyTitle(dialog, stored);
    SetButtonTexts(dialog);
    HWND slider = GetDlgItem(dialog, IDC_TRANSPARENT_SLIDER);
    SendMessageW(slider, TBM_SETRANGE, FALSE, MAKELPARAM(LowestOpacity, HighestOpacity));
    SendMessageW(slider, TBM_SETPAGESIZE, 0, SliderPageSize);
    SendMessageW(slider, TBM_SETPOS, TRUE, stored);
    HWND preview = GetDlgItem(dialog, IDC_TRANSPARENT_PREVIEW);
    SendMessageW(preview, PBM_SETRANGE, 0, MAKELPARAM(LowestOpacity, HighestOpacity));
    SendMessageW(preview, PBM_SETSTEP, PreviewStep, 0);
    SendMessageW(preview, PBM_SETPOS, static_cast<WPARAM>(stored), 0);
}

int SliderPosition(HWND dialog)
{
    return static_cast<int>(SendDlgItemMessageW(dialog, IDC_TRANSPARENT_SLIDER, TBM_GETPOS, 0, 0));
}

// The main window's opacity follows the slider while it moves.
void OnTransparencyPreview(HWND dialog)
{
    const int value = SliderPosition(dialog);
    ApplyTransparency(MainWindow, value);
    SendDlgItemMessageW(dialog, IDC_TRANSPARENT_PREVIEW, PBM_SETPOS, static_cast<WPARAM>(value), 0);
    SetTransparencyTitle(dialog, value);
}

void OnTransparencyOk(HWND dialog)
{
    if (!WriteSetting(setting::Transparent, SliderPosition(dialog)))
        ReportSettingNotSaved();
    EndDialog(dialog, IDOK);
}

void OnTransparencyCancel(HWND dialog)
{
    ApplyTransparency(MainWindow, StoredTransparency());
    EndDialog(dialog, IDCANCEL);
}

INT_PTR CALLBACK TransparencyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnTransparencyInit(dialog);
        return TRUE;
    case WM_HSCROLL:
        if (LOWORD(wParam) != TB_THUMBTRACK && LOWORD(wParam) != TB_ENDTRACK)
            return FALSE;
        OnTransparencyPreview(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            OnTransparencyOk(dialog);
        else if (LOWORD(wParam) == IDCANCEL)
            OnTransparencyCancel(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

void OnAboutInit(HWND dialog)
{
    SetWindowTextW(dialog, LangText(keys::AboutTitle));
    SetDlgItemTextW(dialog, IDC_ABOUT_EDITION,
                    FormatLangText(keys::AboutEdition, AboutLineLength, ShortVersion).c_str());
    SetItemText(dialog, IDC_ABOUT_MAKER, keys::AboutMaker);
    SetItemText(dialog, IDOK, keys::Ok);
}

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnAboutInit(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
} // namespace

void ShowTransparencyDialog()
{
    DialogBoxParamW(Instance, TransparencyTemplate, MainWindow, TransparencyDialogProc, 0);
}

void ShowAboutBox(HWND owner)
{
    DialogBoxParamW(Instance, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutBoxProc, 0);
}

} // namespace quenzel
