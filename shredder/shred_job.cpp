// `ShredJob`: every listed file overwritten with zeros, from the last row to
// the first; a row leaves the list only when its file was shredded.
#include "shredder/shred_file.h"
#include "shredder/shredder_page.h"
#include "shredder/shredder_page_ids.h"

#include "base/lang_keys.h"
#include "base/language.h"
#include "base/list_filler.h"
#include "base/page_kit.h"
#include "base/shell.h"
#include "base/status.h"

#include <commctrl.h>

#include <vector>

namespace quenzel {

namespace {


bool UserConfirms()
{
    const std::wstring text = LangString(keys::ShredConfirm);
    const std::wstring caption = LangString(keys::QuestionCaption);
    return MessageBoxW(MainWindow, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

int RowCount(HWND list)
{
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

// A file was opened but not completely overwritten, flushed or deleted.
bool IsDamagingFailure(ShredResult result)
{
    return result == ShredResult::WriteFailed || result == ShredResult::FlushFailed
           || result == ShredResult::DeleteFailed;
}

void ShredListedFiles(HWND list, int count)
{
    HWND bar = MainControl(IDC_SHRED_PROGRESS);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    SendMessageW(bar, PBM_SETRANGE32, 0, count);
    SendMessageW(bar, PBM_SETSTEP, 1, 0);
    const bool deleteAfter = Checked(IDC_SHRED_DELETE);
    // The paths in one visit to the window's thread (the list cannot change meanwhile).
    const std::vector<std::wstring> paths = ListTexts(list);
    count = static_cast<int>(paths.size());
    int handled = 0;
    int damaged = 0;
    for (int i = count - 1; i >= 0; --i) {
        SetStatusText(paths[static_cast<size_t>(i)].c_str(), 0, StatusInfoPart);
        SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(handled++), 0);
        const ShredResult result = ShredFile(paths[static_cast<size_t>(i)], deleteAfter);
        // Its row goes: the row at its index, or, when the list was sorted meanwhile, a row of the same path.
        if (result == ShredResult::Shredded)
            RemoveListRow(list, i, paths[static_cast<size_t>(i)]);
        else if (IsDamagingFailure(result))
            ++damaged;
    }
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(count), 0);
    ShowRowCount();
    if (damaged > 0)
        WarnUserText(FormatLangText(keys::ShredNotCompleted, MaxTextLength, damaged));
}

void RunShredJob()
{
    HWND list = MainControl(IDC_SHRED_LIST);
    if (RowCount(list) == 0) {
        ShowWarningBox(LangString(keys::ShredListEmpty), keys::ShredListEmptyCaption);
        return;
    }
    if (!UserConfirms())
        return;
    ShredListedFiles(list, RowCount(list));
}

} // namespace

DWORD WINAPI ShredJob(void*)
{
    RunShredJob();
    EndListWork();
    return 0;
}

} // namespace quenzel
