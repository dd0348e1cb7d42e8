// The log-on start: the option's setting, its Run value, and the "-x" start
// that re-creates the ticked folder drives and ends.
#pragma once

namespace quenzel {

inline constexpr wchar_t OptionsSection[] = L"OPTIONS";
inline constexpr wchar_t LogonOptionKeyName[] = L"StartUp_FD";

// Sets (the program's quoted path and "-x") or deletes the value "Quenzel"
// under the user's Run key; false when the registry was not changed.
bool SetLogonRunValue(bool on);

// "-x": maps every ticked folder drive, from the last letter to the first,
// with no window and no message; false when any of them was not mapped.
bool RunLogonStart();

} // namespace quenzel
