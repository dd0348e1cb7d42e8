// The pages of the main window.
#pragma once

#include <windows.h>

namespace quenzel {

// Creates every page in the order of the page list; each page registers
// itself with the tab routing.
void CreatePages(HWND parent);

} // namespace quenzel
