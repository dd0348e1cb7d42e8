// The workers of the pages' jobs (encryption and shredding) and commands
// (the folder drives') as the closing window sees them: while one lives,
// the main window is not destroyed; closing asks whether to stop the jobs
// after their current file, and waits for the commands.
#pragma once

#include <atomic>

namespace quenzel {

enum class WorkerKind {
    Job,     // works through files: closing asks whether to stop it
    Command, // a few steps of short work and its settings write: closing
             // waits for it without asking, so its work is never cut
};

// Held by a worker for its whole life, from its confirmation to its
// report: the main window is not destroyed while one lives, since the
// worker's dialogs and messages go to it.
class JobWorker {
public:
    explicit JobWorker(WorkerKind kind = WorkerKind::Job);
    ~JobWorker();
    JobWorker(const JobWorker&) = delete;
    JobWorker& operator=(const JobWorker&) = delete;

private:
    WorkerKind kind_;
};

// Held by a job's worker while it works through its files, between its
// confirmation and its report: a close then asks at once, since the job
// is not about to end.
class JobAtWork {
public:
    JobAtWork();
    ~JobAtWork();
    JobAtWork(const JobAtWork&) = delete;
    JobAtWork& operator=(const JobAtWork&) = delete;
};

// Held by a page's worker for its whole work: runs the page's end of work
// (its buttons enabled again) however the work is left, an exception such
// as out of memory included, so the page is never left disabled. The end
// must not throw.
class WorkEnd {
public:
    explicit WorkEnd(void (*end)() noexcept) noexcept
        : end_(end)
    { }
    ~WorkEnd() { end_(); }
    WorkEnd(const WorkEnd&) = delete;
    WorkEnd& operator=(const WorkEnd&) = delete;

private:
    void (*end_)() noexcept;
};

// True while any worker lives (it may be asking or reporting).
bool AnyJobWorker();
// True while the worker of a job (not a command) lives.
bool AnyStoppableJob();
// True while a job works through its files.
bool AnyJobAtWork();

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
