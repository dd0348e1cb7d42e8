// What each encryption page keeps between its window's thread and its
// workers: its work lock, `JobMode`, `OutputPath`, `PageInfoText`.
#pragma once

#include "base/control_lock.h"
#include "base/page_info.h"
#include "engine/output_names.h"

#include <atomic>
#include <string>

namespace quenzel {

class CryptPageState : public PageInfo {
public:
    template <size_t N>
    CryptPageState(int pageIndex, int infoKey, const int (&workControls)[N])
        : PageInfo(pageIndex, infoKey)
        , work(workControls)
    { }

    // The page's one owner of its work: a job from its command to its end,
    // the source chooser, and on the folder page a listing. Taken on the
    // window's thread before the worker starts, it disables the page's
    // buttons and source field; a drop, a slot or a command meanwhile is
    // refused (`RefuseWhileBusy`).
    ControlLock work;
    // `JobMode`: set by the page's command handler once it holds the lock,
    // cleared when the job ends (`PageJobScope`); the dialogs read it.
    std::atomic<int> jobMode{NoJob};
    // `OutputPath`: written by the confirmation dialog on the window's
    // thread, where the job takes it with its confirmation.
    std::wstring outputPath;

    JobKind Job() const { return static_cast<JobKind>(jobMode.load()); }
};

extern CryptPageState FilePageState;
extern CryptPageState FolderPageState;

} // namespace quenzel
