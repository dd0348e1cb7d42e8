// The log-on start: the option's setting, its Run value, and the "-x" start
// that re-creates the ticked folder drives and ends.
#pragma once

namespace quenzel {

// Sets (the program's quoted path and "-x") or deletes the value "Quenzel"
// under the user's Run key; false when the registry was not changed.
bool SetLogonRunValue(bool on);

// "-x": maps every ticked folder drive, from the last letter to the first,
// with no window and no message; false when any of them was not mapped or
// the log could not be written. The log beside the settings file
// (`LogonLogName`) then holds this start alone: one line per drive not
// mounted, with the reason the Mount button would give.
bool RunLogonStart();

// The number of drives the last log-on start did not mount, when the
// folder-drives page has not said so yet; the log then records that it has,
// so the page says it once. 0 when there is nothing to say.
int TakeLogonNotice();

} // namespace quenzel
