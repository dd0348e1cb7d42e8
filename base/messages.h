// The shell's own failure messages, texts from the language file.
#pragma once

#include "base/lang_keys.h"

namespace quenzel {

inline constexpr int ErrorCaptionKey = keys::ErrorCaption;
inline constexpr int SettingsWriteFailedKey = keys::SettingsWriteFailed;

// Tells the user that a setting could not be written to the settings file.
void ReportSettingNotSaved();

} // namespace quenzel
