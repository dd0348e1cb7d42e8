// The unlocker page, which has no tab and is never shown: it registers
// itself over an empty table until it gets a folder of its own.
#pragma once

#include <windows.h>

namespace quenzel {

void UnlockerPage_Create(HWND parent);

} // namespace quenzel
