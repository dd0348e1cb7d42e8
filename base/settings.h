// The settings file beside the executable, read and written key by key at
// the moment of use through the system's private-profile functions.
#pragma once

#include "base/setting_keys.h"

#include <string>
#include <vector>

namespace quenzel {

// The values of base/setting_keys.h: every page reads and writes the
// settings file through these.
bool ReadSetting(const FlagSetting& flag);
int ReadSetting(const IntSetting& setting);
std::wstring ReadSetting(const TextSetting& setting);
// False when the file could not be written.
bool WriteSetting(const FlagSetting& flag, bool set);
bool WriteSetting(const IntSetting& setting, int value);
bool WriteSetting(const TextSetting& setting, const std::wstring& text);
// Reads the flag and writes its opposite; the new state (0 or 1), or -1
// when the write failed.
int ToggleSetting(const FlagSetting& flag);
// Rewrites a numbered section whole, in one write, from the values in
// their order (none: the section goes); false when the file was not
// written.
bool ReplaceSection(const NumberedSection<TextSetting>& section, const std::vector<std::wstring>& values);

// The file mechanics below the values: a section and a key spelled by the
// caller.

// Reads a text of at most limit - 1 characters; def when the key is missing.
std::wstring ReadProfileText(const std::wstring& file, const wchar_t* section, const wchar_t* key, const wchar_t* def,
                             unsigned limit);

// Settings file (SettingsPath) reads.
int ReadIntSetting(const wchar_t* section, const wchar_t* key, int def);
std::wstring ReadTextSetting(const wchar_t* section, const wchar_t* key, const wchar_t* def = L"");

// Settings file writes; false when the file could not be written. A new
// settings file is made UTF-16 first, so it can hold any folder name; an
// ANSI one is made UTF-16 before a text its code page cannot hold.
bool WriteSetting(const wchar_t* section, const wchar_t* key, const wchar_t* value);
bool WriteIntSetting(const wchar_t* section, const wchar_t* key, int value);

// Reads a flag and writes its opposite: "0" when it was not 0, else "1".
// Returns the new value, or -1 when the write failed.
int ToggleFlagSetting(const wchar_t* section, const wchar_t* key);

// Creates the file as empty UTF-16LE text with a byte-order mark when it
// does not exist yet; an existing file is left as it is.
bool EnsureUnicodeProfile(const std::wstring& file);

// Readies the file for a write of `text` (section, key and value): made
// UTF-16 when missing, and an ANSI file converted (keeping its ".bak" copy)
// when the ANSI code page would store a stand-in for any of its letters.
// False when the text cannot be written without loss.
bool EnsureProfileHolds(const std::wstring& file, const std::wstring& text);

// True when every character of the text has its own character in the ANSI
// code page (no best-fit stand-in, no default character).
bool FitsAnsiCodePage(const std::wstring& text);

enum class SettingsConversion { NotNeeded, Converted, Failed, Unreadable };

// The forms a conversion takes on: at start those the profile functions
// misread; before a value the ANSI code page cannot hold, ANSI text too.
enum class ConvertedForms { Misread, MisreadAndAnsi };

// A settings file in UTF-16 without a byte-order mark, or in UTF-8 with text
// beyond ASCII, is read by the profile functions as ANSI: every setting (or
// every name beyond ASCII) would be lost at the next write. Such a file is
// converted once to UTF-16LE with a byte-order mark; the original stays
// beside it as "<name>.bak" and is never lost, converted or not. A file
// that cannot be read at all (a folder, a locked file) is Unreadable.
SettingsConversion ConvertSettingsFile(const std::wstring& file, ConvertedForms forms = ConvertedForms::Misread);

// Converts `SettingsPath` at start; a failure, or a settings file that
// cannot be read, is told to the user (the program goes on with defaults).
void ConvertSettingsFileAtStart();

} // namespace quenzel
