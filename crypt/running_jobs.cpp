#include "crypt/running_jobs.h"

#include "base/control_ids.h"
#include "base/control_lock.h"
#include "base/courier.h"
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

constexpr int FilePageJobControls[] = {IDC_FILE_ENCRYPT, IDC_FILE_DECRYPT, IDC_FILE_CHOOSE, IDC_FILE_SOURCE};
constexpr int FolderPageJobControls[] = {IDC_FOLDER_ENCRYPT, IDC_FOLDER_DECRYPT, IDC_FOLDER_GATHER, IDC_FOLDER_SOURCE};
// Besides the key controls and the options a running job reads: the tabs.
constexpr int SharedJobControls[] = {IDC_TABS};

std::atomic<int> RunningCount{0};

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

// On the window's thread, after the job's notes so far, so the idle state
// text comes last. The call holds two small values: making it allocates
// nothing. A window gone has no controls left to change; the end of a job
// (a destructor) must not throw.
void AnnounceJobChange(CryptPageKind page, bool started) noexcept
{
    try {
        OnWindowThread([page, started] { ApplyJobChange(page, started); });
    } catch (const WindowGone&) {
        OutputDebugStringW(L"Quenzel: a job's change not shown, its window gone\n");
    }
}

} // namespace

RunningJob::RunningJob(CryptPageKind page)
    : page_(page)
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

bool AnyJobRunning()
{
    return RunningCount.load() != 0;
}

} // namespace quenzel
