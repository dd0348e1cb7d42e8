#include "crypt/running_jobs.h"

#include "base/control_ids.h"
#include "base/control_lock.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/options.h"
#include "base/page_kit.h"
#include "base/process.h"
#include "base/status.h"
#include "crypt/file_page_ids.h"
#include "crypt/folder_page_ids.h"
#include "crypt/key_controls.h"

#include <atomic>

namespace quenzel {

namespace {

// Sent to the courier: a job of page wParam started (lParam 1) or ended (0).
constexpr UINT JobChangedMessage = WM_APP + 1;
constexpr wchar_t JobCourierClass[] = L"QuenzelJobs";

constexpr int FilePageJobControls[] = {IDC_FILE_ENCRYPT, IDC_FILE_DECRYPT, IDC_FILE_CHOOSE, IDC_FILE_SOURCE};
constexpr int FolderPageJobControls[] = {IDC_FOLDER_ENCRYPT, IDC_FOLDER_DECRYPT, IDC_FOLDER_GATHER,
                                         IDC_FOLDER_SOURCE};
// Besides the key controls and the options a running job reads: the tabs.
constexpr int SharedJobControls[] = {IDC_TABS};

std::atomic<int> RunningCount{0};
HWND JobCourier = nullptr;

// On the window's thread: the page's own controls follow its job, the
// shared ones the count as it is now, so the last change always wins.
void ApplyJobChange(CryptPageKind page, bool started)
{
    if (page == CryptPageKind::File)
        EnableControls(FilePageJobControls, !started);
    else
        EnableControls(FolderPageJobControls, !started);
    const bool idle = RunningCount.load() == 0;
    EnableControls(SharedJobControls, idle);
    EnableKeyControls(idle);
    EnableJobOptions(idle);
    if (idle)
        SetStatusText(LangText(keys::IdleStatus), 0, StatusStatePart);
}

LRESULT CALLBACK JobCourierProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == JobChangedMessage) {
        ApplyJobChange(static_cast<CryptPageKind>(wParam), lParam != 0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void AnnounceJobChange(CryptPageKind page, bool started)
{
    if (JobCourier)
        SendMessageW(JobCourier, JobChangedMessage, static_cast<WPARAM>(page), started ? 1 : 0);
    else
        ApplyJobChange(page, started);
}

} // namespace

RunningJob::RunningJob(CryptPageKind page) : page_(page)
{
    ++RunningCount;
    AnnounceJobChange(page_, true);
}

RunningJob::~RunningJob()
{
    --RunningCount;
    AnnounceJobChange(page_, false);
}

PageJobScope::~PageJobScope()
{
    state_.jobMode = NoJob;
    running_.reset();
}

void PageJobScope::Run()
{
    running_.emplace(page_);
}

void CreateJobCourier()
{
    if (JobCourier)
        return;
    JobCourier = CreateMessageWindow(JobCourierClass, JobCourierProc);
}

bool AnyJobRunning()
{
    return RunningCount.load() != 0;
}

} // namespace quenzel
