// The key controls shared by both encryption pages (password or key file,
// and the level slider), and the transform of a file with their key.
#pragma once

#include "controls/page_table.h"
#include "crypt/file_transform.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quenzel {

// The key controls and the frame around both pages: created with the file
// page, shown with either page.
PageTable KeyControlsTable();

// Sets the key controls' start state: the level range, and the key mode and
// key file stored in section PASSWORD.
void InitKeyControls();

// The key of the key controls at this moment: the password field's text in
// the ANSI code page ("WELK" when empty) or the key file's content, and the
// level slider. False, after telling the user why, when no key can be had.
bool ReadCipherKey(std::vector<uint8_t>& key, uint8_t& level);

// One file transformed with the key of the key controls, fetched anew for
// this file (folder jobs: no progress bar).
TransformOutcome ApplyCipher(const std::wstring& source, const std::wstring& destination);

// The same, moving a progress bar as the bytes go through: the bar's range
// is set from the file's size (0 to 101, or 0 to size + 1 below 100 bytes)
// and the bar is shown before the first byte.
TransformOutcome ApplyCipherWithProgress(const std::wstring& source, const std::wstring& destination,
                                         HWND progressBar);

} // namespace quenzel
