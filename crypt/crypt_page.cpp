#include "crypt/crypt_page.h"

#include "app/language.h"
#include "app/messages.h"
#include "app/shell.h"
#include "app/status.h"
#include "crypt/jobs.h"
#include "crypt/key_controls.h"

#include <commctrl.h>

namespace quenzel {

namespace {

void StartPageJob(const CryptPage& page, JobKind job)
{
    if (GetWindowTextLengthW(MainControl(page.sourceId)) == 0)
        page.chooseSource();
    if (GetWindowTextLengthW(MainControl(page.sourceId)) == 0) {
        ShowWarningBox(LangString(page.noSourceKey), page.noSourceCaptionKey);
        return;
    }
    page.state.jobMode = job;
    if (!StartWorker(page.job))
        page.state.jobMode = NoJob;
}

} // namespace

HWND MainControl(int id)
{
    return GetDlgItem(MainWindow, id);
}

std::wstring TextOf(HWND window)
{
    std::wstring text(MaxTextLength + 1, L'\0');
    const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

std::wstring ListItemText(HWND list, int index)
{
    std::wstring text(MaxTextLength + 1, L'\0');
    LVITEMW item{};
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const LRESULT length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(&item));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

bool Checked(int id)
{
    return SendMessageW(MainControl(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ShowWarningBox(const std::wstring& text, int captionKey)
{
    const std::wstring caption = LangString(captionKey);
    MessageBoxW(MainWindow, text.c_str(), caption.c_str(), MB_ICONWARNING | MB_OK);
}

void WarnUser(int key)
{
    WarnUserText(LangString(key));
}

void WarnUserText(const std::wstring& text)
{
    ShowWarningBox(text, ErrorCaptionKey);
}

void PlaceProgressBar(const CryptPage& page)
{
    constexpr int BarX = 202;
    constexpr int BarWidth = 588;
    constexpr int BarRaise = 272;
    constexpr int BarHeightLess = 5;
    RECT bar{};
    GetWindowRect(StatusBar(), &bar);
    MoveWindow(MainControl(page.progressId), BarX, bar.top - BarRaise, BarWidth,
               bar.bottom - bar.top - BarHeightLess, FALSE);
}

void RegisterCryptPage(const CryptPage& page, int index, const PageRoutines& routines)
{
    RegisterPage(index, routines);
    page.state.ShowPageInfoText();
    // The page is created hidden: a hidden field must not take the keys.
    if (IsWindowVisible(MainControl(page.sourceId)))
        SetFocus(MainControl(page.sourceId));
}

void ShowCryptPage(const CryptPage& page, int showCommand)
{
    ShowPageControls(MainWindow, page.controls, showCommand);
    ShowPageControls(MainWindow, KeyControlsTable(), showCommand);
    if (showCommand == SW_HIDE)
        return;
    page.state.ShowPageInfoText();
    SetFocus(MainControl(page.sourceId));
}

void OnCryptPageCommand(const CryptPage& page, int id)
{
    if (id == page.encryptId)
        StartPageJob(page, EncryptJob);
    else if (id == page.decryptId)
        StartPageJob(page, DecryptJob);
    else if (id == page.chooseId)
        StartWorker(page.chooseWorker);
}

} // namespace quenzel
