// What each encryption page keeps between its window's thread and its
// workers: `JobMode`, `OutputPath`, `PageInfoText`.
#pragma once

#include "base/page_info.h"
#include "engine/output_names.h"

#include <atomic>
#include <string>

namespace quenzel {

class CryptPageState : public PageInfo {
public:
    CryptPageState(int pageIndex, int infoKey)
        : PageInfo(pageIndex, infoKey)
    { }

    // `JobMode`: set by the page's command handler before the worker
    // starts and held until the job ends, however it ends (`PageJobScope`):
    // a drop on the page meanwhile is refused.
    std::atomic<int> jobMode{NoJob};
    // `OutputPath`: written by the confirmation dialog on the window's
    // thread, where the job takes it with its confirmation.
    std::wstring outputPath;

    JobKind Job() const { return static_cast<JobKind>(jobMode.load()); }
};

extern CryptPageState FilePageState;
extern CryptPageState FolderPageState;

} // namespace quenzel
