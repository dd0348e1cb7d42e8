// The four encryption jobs: a file or every listed file of a folder,
// encrypted or decrypted, each on a worker thread of its own.
#pragma once

#include "crypt/crypt_dialogs.h"

#include <windows.h>

#include <string>

namespace quenzel {

// The jobs; the page's command handler has set its `JobMode`.
DWORD WINAPI FileJob(void*);
DWORD WINAPI FolderJob(void*);

// The root the folder list was gathered from; set by `GatherFolder` with
// the list, read by the folder job to cut each listed path.
void SetGatheredRoot(const std::wstring& root);

} // namespace quenzel
