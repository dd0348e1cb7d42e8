#include "base/job_workers.h"

#include "base/courier.h"

#include <windows.h>

namespace quenzel {

namespace {

std::atomic<int> WorkerCount{0};
std::atomic<int> JobCount{0};
std::atomic<int> AtWorkCount{0};
std::atomic<bool> StopRequested{false};
void (*LastWorkerEnded)() = nullptr;

// On the window's thread: the last worker may have ended.
void HearWorkerEnded()
{
    if (WorkerCount.load() == 0 && LastWorkerEnded)
        LastWorkerEnded();
}

} // namespace

JobWorker::JobWorker(WorkerKind kind)
    : kind_(kind)
{
    ++WorkerCount;
    if (kind_ == WorkerKind::Job)
        ++JobCount;
}

// Posted through the courier, not waited for: the worker goes on to its end,
// and the window's thread hears of it after the worker's last notes.
JobWorker::~JobWorker()
{
    if (kind_ == WorkerKind::Job)
        --JobCount;
    if (--WorkerCount == 0)
        PostCall(HearWorkerEnded);
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
}

} // namespace quenzel
