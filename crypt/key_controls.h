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

// The key controls' own commands: the two key-mode radio buttons and the
// key file's "..." button. False when `id` is none of them.
bool OnKeyControlCommand(int id);

// The level slider moved: its position is shown as text beside it.
void OnKeyControlScroll(HWND slider, int request);

// Sets the key controls' start state: the level range, and the key mode and
// key file stored in section PASSWORD.
void InitKeyControls();

// The key of the key controls at this moment: the password field's text in
// the ANSI code page ("WELK" when empty) or the key file's content, and the
// level slider. False, after telling the user why, when no key can be had.
bool ReadCipherKey(std::vector<uint8_t>& key, uint8_t& level);

// The key file the key controls name; empty in password mode.
std::wstring KeyFileOfControls();

// The key source of the jobs: the key controls, asked once per file.
struct ControlKeySource : KeySource {
    bool FetchKey(std::vector<uint8_t>& key, uint8_t& level) override;
};

// One file transformed with the key of the key controls, fetched anew for
// this file, moving a progress bar as the bytes go through: the bar's range
// is set from the file's size (0 to 101, or 0 to size + 1 below 100 bytes)
// and the bar is shown before the first byte. The key file is never
// replaced by the output.
TransformOutcome ApplyCipherWithProgress(const std::wstring& source, const std::wstring& destination,
                                         HWND progressBar, const FileId& keyFile = FileId());

} // namespace quenzel
