// The shell's own failure messages, texts from the language file, and the
// quiet run of the log-on start, which shows none.
#pragma once

#include "base/lang_keys.h"

#include <string>

namespace quenzel {

inline constexpr int ErrorCaptionKey = keys::ErrorCaption;
inline constexpr int SettingsWriteFailedKey = keys::SettingsWriteFailed;

// From now on no warning box appears: nobody is there to answer one at
// log-on. Each warning is only counted, for the process's exit code.
void SilenceWarnings();
// True when a warning was held back since SilenceWarnings.
bool WarningHeldBack();

// A warning box owned by MainWindow, shown by the window's thread whichever
// thread calls, or only counted while silenced.
void ShowWarning(const std::wstring& text, const std::wstring& caption);

// Tells the user that a setting could not be written to the settings file.
void ReportSettingNotSaved();

} // namespace quenzel
