// A program folder without a settings file starts safe.
#pragma once

namespace quenzel {

// When there is no settings file at all (a new installation or a new
// portable copy), writes one (UTF-16LE with a byte-order mark) that
// chooses the options page's safe start settings. An existing file, even
// an empty one, is left exactly as it is. A failure is told to the user.
void WriteSafeSettingsWhenNone();

} // namespace quenzel
