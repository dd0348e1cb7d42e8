// `ShredJob`: every listed file overwritten with zeros, from the last row to
// the first; a row leaves the list only when its file was shredded. Closing
// the window stops the job between two files.
#include "shredder/shred_file.h"
#include "shredder/shredder_page.h"
#include "shredder/shredder_page_ids.h"

#include "base/courier.h"
#include "base/job_workers.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/list_filler.h"
#include "base/page_kit.h"
#include "base/process.h"
#include "base/status.h"

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
    void RemoveFromList()
    {
        if (!rows_.empty())
            OnWindowThread([this] { RemoveListRowsOfTexts(MainControl(IDC_SHRED_LIST), rows_, paths_); });
        rows_.clear();
        paths_.clear();
    }

private:
    std::vector<int> rows_;
    std::vector<std::wstring> paths_;
};

// What the job works on, taken on the window's thread when it starts: the
// listed paths (the list cannot change while the job runs) and the delete
// option.
struct ShredRequest {
    std::vector<std::wstring> paths;
    bool deleteAfter = false;
};

ShredRequest TakeShredRequest()
{
    ShredRequest request;
    OnWindowThread([&request] {
        request.paths = ListTexts(MainControl(IDC_SHRED_LIST));
        request.deleteAfter = Checked(IDC_SHRED_DELETE);
    });
    return request;
}

// The question names the number of files and whether they will be deleted.
bool UserConfirms(const ShredRequest& request)
{
    const int key = request.deleteAfter ? keys::ShredConfirm : keys::ShredConfirmKeep;
    const std::wstring text = FormatLangText(key, MaxTextLength, static_cast<int>(request.paths.size()));
    // No is the default: an Enter pressed by habit destroys nothing.
    return AskOnWindow(text, LangString(keys::QuestionCaption), true);
}

// The lines of the report, one for each reason files were left for.
struct ReasonLine {
    ShredLeftReason reason;
    int key;
};
constexpr ReasonLine ReasonLines[] = {{ShredLeftReason::InUse, keys::ShredLeftInUse},
                                      {ShredLeftReason::ReadOnly, keys::ShredLeftReadOnly},
                                      {ShredLeftReason::NoPermission, keys::ShredLeftNoPermission},
                                      {ShredLeftReason::LinkOrCloud, keys::ShredLeftLinks},
                                      {ShredLeftReason::NotCompleted, keys::ShredLeftNotCompleted},
                                      {ShredLeftReason::Other, keys::ShredLeftOther}};

// One message at the end: how many files were shredded, how many stay in
// the list and why (a stopped job says so, and counts what it reached).
void ReportShredding(const ShredTally& tally, int listed, bool stopped)
{
    std::wstring text = stopped ? FormatLangText(keys::ShredStopped, MaxTextLength, tally.Shredded(), listed)
                                : FormatLangText(keys::ShredReport, MaxTextLength, tally.Shredded(), tally.Left());
    for (const ReasonLine& line : ReasonLines)
        if (tally.LeftFor(line.reason) > 0)
            text += L"\n" + FormatLangText(line.key, MaxTextLength, tally.LeftFor(line.reason));
    if (stopped || tally.Left() > 0)
        ShowWarningBox(text, keys::ShredReportCaption);
    else
        ShowInfoBox(text, keys::ShredReportCaption);
}

void ShredListedFiles(const ShredRequest& request)
{
    const std::vector<std::wstring>& paths = request.paths;
    const int count = static_cast<int>(paths.size());
    PostBarRange(IDC_SHRED_PROGRESS, count);
    int handled = 0;
    ShredTally tally;
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
            PostStatusText(StatusInfoPart, path);
            PostBarPosition(IDC_SHRED_PROGRESS, handled);
            gone.RemoveFromList();
            lastShown = now;
        }
        const ShredResult result = ShredFile(path, request.deleteAfter);
        tally.Count(result);
        if (result == ShredResult::Shredded)
            gone.Add(i, path);
    }
    gone.RemoveFromList();
    PostBarPosition(IDC_SHRED_PROGRESS, count);
    ShowRowCount();
    atWork.reset();
    ReportShredding(tally, count, stopped);
}

void RunShredJob()
{
    const ShredRequest request = TakeShredRequest();
    if (request.paths.empty()) {
        ShowWarningBox(LangString(keys::ShredListEmpty), keys::ShredListEmptyCaption);
        return;
    }
    // The program may have been asked to close while the question was open.
    if (!UserConfirms(request) || JobsStopRequested())
        return;
    ShredListedFiles(request);
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
