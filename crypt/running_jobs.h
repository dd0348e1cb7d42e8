// The jobs of the encryption pages that are running: file jobs, folder jobs
// and folder walks, on any page. While any of them runs, every control that
// could change a job's key or options (the key controls, the tabs, the
// options the jobs read) stays disabled. A count, not a switch per page:
// one page's job ending must not give back what another still needs. A
// page's own buttons and source field follow its work lock
// (`CryptPageState::work`).
#pragma once

#include "base/job_workers.h"
#include "crypt/page_state.h"

namespace quenzel {

// Held by a job for as long as it works, made once its confirmation is
// answered, before its key is taken, and ended before its report, so the
// idle state text comes before the page's buttons (`PageJobScope`).
class RunningJob {
public:
    RunningJob();
    ~RunningJob();
    RunningJob(const RunningJob&) = delete;
    RunningJob& operator=(const RunningJob&) = delete;

private:
    JobAtWork atWork_;
};

// Held by a page's job worker for its whole life, report included, with
// the page's work lock its command took: however the job ends, the page's
// `JobMode` is cleared and only then is the lock released, which brings the
// page's controls back, so a job started at once keeps its mode.
class PageJobScope {
public:
    explicit PageJobScope(CryptPageState& state) noexcept
        : state_(state)
    { }
    ~PageJobScope();
    PageJobScope(const PageJobScope&) = delete;
    PageJobScope& operator=(const PageJobScope&) = delete;

private:
    CryptPageState& state_;
};

// True while any job of the encryption pages runs.
bool AnyJobRunning();


} // namespace quenzel
