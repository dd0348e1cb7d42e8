// The shredder page (tab 4): the list of files to shred, the buttons that
// fill and trim it, the start of `ShredJob` and the delete option.
#pragma once

#include "base/page_info.h"

#include <windows.h>

#include <string>
#include <vector>

namespace quenzel {

// Creates the page's controls (hidden), reads the delete option and
// registers the page.
void ShredderPage_Create(HWND parent);
void ShredderPage_Show(int showCommand);
void ShredderPage_OnCommand(int id);
// Dropped paths: files and every file below folders, appended to the list.
void ShredderPage_OnDrop(const std::vector<std::wstring>& paths);

// The page's `PageInfoText`.
extern PageInfo ShredderPageState;

// The page's list work (the job, adding and removing rows) runs on one
// worker at a time: while it runs, the buttons that change the list or start
// a job are disabled. EndListWork, run by the worker's WorkEnd however its
// work ends, enables them again.
void EndListWork() noexcept;

// Shows "n file(s) in the list" for the list's current row count.
void ShowRowCount();

// The job behind the start button, on a worker of its own.
DWORD WINAPI ShredJob(void*);

} // namespace quenzel
