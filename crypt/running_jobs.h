// The jobs of the encryption pages that are running: file jobs, folder jobs
// and folder walks, on any page. While any of them runs, every control that
// could change a job's key or options (the key controls, the tabs, the
// options the jobs read) stays disabled; a page's own buttons and source
// field are disabled while its own job runs. A count, not a switch per
// page: one page's job ending must not give back what another still needs.
#pragma once

#include "crypt/crypt_dialogs.h"

#include <atomic>

namespace quenzel {

// Held by a job for as long as it runs: made once its confirmation is
// answered, before its key is taken.
class RunningJob {
public:
    explicit RunningJob(CryptPageKind page);
    ~RunningJob();
    RunningJob(const RunningJob&) = delete;
    RunningJob& operator=(const RunningJob&) = delete;

private:
    CryptPageKind page_;
};

// Held by a job's worker for its whole life, from its confirmation to its
// report: the main window is not destroyed while one lives, since the
// worker's dialogs and messages go to it.
class JobWorker {
public:
    JobWorker();
    ~JobWorker();
    JobWorker(const JobWorker&) = delete;
    JobWorker& operator=(const JobWorker&) = delete;
};

// Made once on the window's thread, with the first encryption page: the
// controls change there, in the order in which the jobs start and end.
void CreateJobCourier();

// True while any job of the encryption pages runs.
bool AnyJobRunning();
// True while any job's worker lives (it may be asking or reporting).
bool AnyJobWorker();

// Asks every job to stop after its current file; a file job gives up its
// file, leaving source and destination as they were. Cannot be taken back:
// it is asked only when the program closes.
void RequestJobsStop();
bool JobsStopRequested();
// The flag the transform looks at between pieces.
const std::atomic<bool>& JobsStopFlag();

// Called on the window's thread each time the last job worker has ended.
void SetLastJobWorkerEndedHandler(void (*handler)());

} // namespace quenzel
