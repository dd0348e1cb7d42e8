// What each encryption page keeps between its window's thread and its
// workers: `JobMode`, `OutputPath`, `PageInfoText`.
#pragma once

#include "crypt/output_names.h"

#include <atomic>
#include <mutex>
#include <string>

namespace quenzel {

class CryptPageState {
public:
    explicit CryptPageState(int infoKey) : infoKey_(infoKey) {}

    // `JobMode`: set by the page's command handler before the worker
    // starts, cleared by Cancel and after each file's transform.
    std::atomic<int> jobMode{NoJob};
    // `OutputPath`: written by the confirmation dialog and read by the job,
    // both on the job's worker.
    std::wstring outputPath;

    // `PageInfoText`: written by workers, read by the page's show routine.
    std::wstring PageInfoText();
    // Sets the text and shows it in status-bar part 1.
    void SetPageInfoText(const std::wstring& text);
    // Shows the text (the language text until something else was set).
    void ShowPageInfoText();

    JobKind Job() const { return static_cast<JobKind>(jobMode.load()); }

private:
    int infoKey_;
    std::mutex lock_;
    std::wstring info_;
    bool infoSet_ = false;
};

extern CryptPageState FilePageState;
extern CryptPageState FolderPageState;

} // namespace quenzel
