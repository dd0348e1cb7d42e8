// Files from Explorer: dropped on the main window, or named on the command
// line (Send To), both handed to the shown page as a drop.
#pragma once

#include "app/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace quenzel {

// The paths of a drop; the drop's memory is released.
std::vector<std::wstring> TakeDroppedPaths(HDROP drop);

// Places the command line's paths on the tab shown, as a drop would; with
// no tab named, the page that takes the first path is shown. Paths that do
// not exist are named in a message.
void PlaceStartPaths(const StartRequest& request);

} // namespace quenzel
