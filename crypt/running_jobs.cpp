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
#include "crypt/key_controls.h"

#include <atomic>

namespace quenzel {

namespace {

// Besides the key controls and the options a running job reads: the tabs.
constexpr int SharedJobControls[] = {IDC_TABS};

std::atomic<int> RunningCount{0};

// On the window's thread: the shared controls follow the count as it is
// now, so the last change always wins.
void ApplyJobChange()
{
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
void AnnounceJobChange() noexcept
{
    try {
        OnWindowThread(ApplyJobChange);
    } catch (const WindowGone&) {
        OutputDebugStringW(L"Quenzel: a job's change not shown, its window gone\n");
    }
}

} // namespace

RunningJob::RunningJob()
{
    ++RunningCount;
    AnnounceJobChange();
}

RunningJob::~RunningJob()
{
    --RunningCount;
    AnnounceJobChange();
}

PageJobScope::~PageJobScope()
{
    state_.jobMode = NoJob;
    state_.work.Release();
}

bool AnyJobRunning()
{
    return RunningCount.load() != 0;
}

} // namespace quenzel
