// The four encryption jobs: a file or every listed file of a folder,
// encrypted or decrypted, each on a worker thread of its own.
#pragma once

#include "base/options.h"
#include "crypt/crypt_dialogs.h"

#include <windows.h>

#include <string>

namespace quenzel {

// What a job is asked to do, taken on the window's thread when it starts:
// the job, the options as the options page shows them, and the source
// field's text (the file, or the folder as typed). The destination, the
// folder list's rows and the key follow on the window's thread, the key in
// the step that accepts the confirmation; the worker reads no control.
struct JobRequest {
    JobKind job = NoJob;
    Options options;
    std::wstring source;
};

// The jobs, each given a `JobRequest` made with new, which it owns; the
// page's command handler has taken its work lock and set its `JobMode`,
// which the job gives back when it ends.
DWORD WINAPI FileJob(void* request);
DWORD WINAPI FolderJob(void* request);

// The root the folder list was gathered from; set by `GatherFolder` with
// the list, read by the folder job to cut each listed path.
void SetGatheredRoot(const std::wstring& root);

} // namespace quenzel
