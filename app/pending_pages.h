// The pages whose controls are still to come (folder drives, unlocker):
// each registers itself over an empty table, so that tab switching, status
// texts and command dispatch already work for it. A page that gets its
// folder replaces its stub here and its line in app/pages.cpp.
#pragma once

#include <windows.h>

namespace quenzel {

void DrivesPage_Create(HWND parent);
void UnlockerPage_Create(HWND parent);

} // namespace quenzel
