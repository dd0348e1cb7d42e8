// The options page (tab 0) and the controls of the main window that belong
// to no page: banner, help button and the tab control.
#pragma once

#include <windows.h>

#include <string>

namespace quenzel {

// Creates the options page, the banner, the help button and last the tab
// control with its six tabs; registers the page; sets status part 1 to the
// welcome text.
void OptionsPage_Create(HWND parent);
void OptionsPage_Show(int showCommand);
void OptionsPage_OnCommand(int id);

// The settings a new settings file starts with, as the options page stores
// them: the strong format, the ".enc" naming of file jobs and the
// "\Encrypted" output folder of folder jobs, so no job replaces its sources
// unless the user asks for it. UTF-16 INI text without a byte-order mark.
std::wstring SafeStartSettingsText();

} // namespace quenzel
