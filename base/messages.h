// The shell's own failure messages, texts from the language file.
#pragma once

namespace quenzel {

inline constexpr int ErrorCaptionKey = 193;
inline constexpr int SettingsWriteFailedKey = 220;

// Tells the user that a setting could not be written to the settings file.
void ReportSettingNotSaved();

} // namespace quenzel
