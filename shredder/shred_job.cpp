// `ShredJob`: every listed file overwritten with zeros, from the last row to
// the first; a row leaves the list only when its file was shredded. Closing
// the window stops the job between two files.
#include "shredder/shred_file.h"
#include "shredder/shredder_page.h"
#include "shredder/shredder_page_ids.h"

#include "base/job_workers.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/list_filler.h"
#include "base/page_kit.h"
#include "base/process.h"
#include "base/status.h"

#include <commctrl.h>

#include <chrono>
#include <optional>
#include <vector>

namespace quenzel {

namespace {

// The job shows the file in work and moves its bar at most this often; the
// rows of the files shredded meanwhile leave the list together.
constexpr std::chrono::milliseconds ShredProgressInterval{250};

// The rows of shredded files, waiting to leave the list.
class GoneRows {
public:
    void Add(int row, const std::wstring& path)
    {
        rows_.push_back(row);
        paths_.push_back(path);
    }
    // Each row goes: the row at its index, or, when the list was sorted
    // meanwhile, a row of the same path.
    void RemoveFrom(HWND list)
    {
        if (!rows_.empty())
            RemoveListRowsOfTexts(list, rows_, paths_);
        rows_.clear();
        paths_.clear();
    }

private:
    std::vector<int> rows_;
    std::vector<std::wstring> paths_;
};

// The question names the number of files and whether they will be deleted.
bool UserConfirms(int count)
{
    const int key = Checked(IDC_SHRED_DELETE) ? keys::ShredConfirm : keys::ShredConfirmKeep;
    const std::wstring text = FormatLangText(key, MaxTextLength, count);
    const std::wstring caption = LangString(keys::QuestionCaption);
    // No is the default: an Enter pressed by habit destroys nothing.
    return MessageBoxW(MainWindow, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2)
           == IDYES;
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
    int links = 0;
    int shredded = 0;
    bool stopped = false;
    GoneRows gone;
    std::chrono::steady_clock::time_point lastShown{};
    // Until the reports: a close meanwhile asks at once.
    std::optional<JobAtWork> atWork;
    atWork.emplace();
    for (int i = count - 1; i >= 0; --i, ++handled) {
        stopped = JobsStopRequested();
        if (stopped)
            break;
        const std::wstring& path = paths[static_cast<size_t>(i)];
        const auto now = std::chrono::steady_clock::now();
        if (now - lastShown >= ShredProgressInterval) {
            SetStatusText(path.c_str(), 0, StatusInfoPart);
            SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(handled), 0);
            gone.RemoveFrom(list);
            lastShown = now;
        }
        const ShredResult result = ShredFile(path, deleteAfter);
        if (result == ShredResult::Shredded) {
            ++shredded;
            gone.Add(i, path);
        } else if (IsDamagingFailure(result)) {
            ++damaged;
        } else if (result == ShredResult::Link) {
            ++links;
        }
    }
    gone.RemoveFrom(list);
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(count), 0);
    ShowRowCount();
    atWork.reset();
    if (stopped)
        WarnUserText(FormatLangText(keys::ShredStopped, MaxTextLength, shredded, count));
    if (damaged > 0)
        WarnUserText(FormatLangText(keys::ShredNotCompleted, MaxTextLength, damaged));
    if (links > 0)
        WarnUserText(FormatLangText(keys::ShredLinksKept, MaxTextLength, links));
}

void RunShredJob()
{
    HWND list = MainControl(IDC_SHRED_LIST);
    if (RowCount(list) == 0) {
        ShowWarningBox(LangString(keys::ShredListEmpty), keys::ShredListEmptyCaption);
        return;
    }
    // The program may have been asked to close while the question was open.
    if (!UserConfirms(RowCount(list)) || JobsStopRequested())
        return;
    ShredListedFiles(list, RowCount(list));
}

} // namespace

DWORD WINAPI ShredJob(void*)
{
    const JobWorker worker;
    const WorkEnd end(EndListWork);
    RunShredJob();
    return 0;
}

} // namespace quenzel
