// The unlocker page, which has no tab and is never shown: it registers
// itself over an empty table. A page that gets a folder of its own replaces
// its stub here and takes its line in app/pages.cpp.
#pragma once

#include <windows.h>

namespace quenzel {

void UnlockerPage_Create(HWND parent);

} // namespace quenzel
