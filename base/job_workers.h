// The workers of the pages' jobs (encryption and shredding) as the closing
// window sees them: while one lives, the main window is not destroyed, and
// closing asks whether to stop the jobs after their current file.
#pragma once

#include <atomic>

namespace quenzel {

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

// True while any job's worker lives (it may be asking or reporting).
bool AnyJobWorker();

// Asks every job to stop after its current file; a file job gives up its
// file, leaving source and destination as they were. Cannot be taken back:
// it is asked only when the program closes.
void RequestJobsStop();
bool JobsStopRequested();
// The flag the transform looks at between pieces.
const std::atomic<bool>& JobsStopFlag();

// Called on the window's thread each time the last job worker has ended;
// set once, on the window's thread.
void SetLastJobWorkerEndedHandler(void (*handler)());

} // namespace quenzel
