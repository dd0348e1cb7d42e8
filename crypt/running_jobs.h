// The jobs of the encryption pages that are running: file jobs, folder jobs
// and folder walks, on any page. While any of them runs, every control that
// could change a job's key or options (the key controls, the tabs, the
// options the jobs read) stays disabled; a page's own buttons and source
// field are disabled while its own job runs. A count, not a switch per
// page: one page's job ending must not give back what another still needs.
#pragma once

#include "base/job_workers.h"
#include "crypt/crypt_dialogs.h"
#include "crypt/page_state.h"

#include <optional>

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
    JobAtWork atWork_;
};

// Held by a page's job from its start: however the job ends, the page's
// `JobMode` is cleared, and only then do the controls come back, so a job
// started at once keeps its mode.
class PageJobScope {
public:
    PageJobScope(CryptPageState& state, CryptPageKind page) noexcept
        : state_(state)
        , page_(page)
    { }
    ~PageJobScope();
    PageJobScope(const PageJobScope&) = delete;
    PageJobScope& operator=(const PageJobScope&) = delete;

    // The confirmation was answered: the job runs, with the controls
    // disabled until the scope ends.
    void Run();

private:
    CryptPageState& state_;
    CryptPageKind page_;
    std::optional<RunningJob> running_;
};

// True while any job of the encryption pages runs.
bool AnyJobRunning();

} // namespace quenzel
