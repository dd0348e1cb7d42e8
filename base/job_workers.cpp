#include "base/job_workers.h"

#include "base/page_kit.h"

#include <windows.h>

namespace quenzel {

namespace {

// Posted to the courier when the last job worker has ended.
constexpr UINT LastWorkerEndedMessage = WM_APP + 1;
constexpr wchar_t WorkerCourierClass[] = L"QuenzelJobWorkers";

std::atomic<int> WorkerCount{0};
std::atomic<int> JobCount{0};
std::atomic<int> AtWorkCount{0};
std::atomic<bool> StopRequested{false};
void (*LastWorkerEnded)() = nullptr;
HWND WorkerCourier = nullptr;

LRESULT CALLBACK WorkerCourierProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == LastWorkerEndedMessage) {
        if (WorkerCount.load() == 0 && LastWorkerEnded)
            LastWorkerEnded();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

JobWorker::JobWorker(WorkerKind kind)
    : kind_(kind)
{
    ++WorkerCount;
    if (kind_ == WorkerKind::Job)
        ++JobCount;
}

// Posted, not sent: the worker goes on to its end without waiting, and the
// window's thread hears of it after the worker has touched its last window.
JobWorker::~JobWorker()
{
    if (kind_ == WorkerKind::Job)
        --JobCount;
    if (--WorkerCount == 0 && WorkerCourier)
        PostMessageW(WorkerCourier, LastWorkerEndedMessage, 0, 0);
}

JobAtWork::JobAtWork()
{
    ++AtWorkCount;
}

JobAtWork::~JobAtWork()
{
    --AtWorkCount;
}

bool AnyJobAtWork()
{
    return AtWorkCount.load() != 0;
}

bool AnyJobWorker()
{
    return WorkerCount.load() != 0;
}

bool AnyStoppableJob()
{
    return JobCount.load() != 0;
}

void RequestJobsStop()
{
    StopRequested = true;
}

bool JobsStopRequested()
{
    return StopRequested.load();
}

const std::atomic<bool>& JobsStopFlag()
{
    return StopRequested;
}

void SetLastJobWorkerEndedHandler(void (*handler)())
{
    LastWorkerEnded = handler;
    if (!WorkerCourier)
        WorkerCourier = CreateMessageWindow(WorkerCourierClass, WorkerCourierProc);
}

} // namespace quenzel
