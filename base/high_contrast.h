// Whether the user has chosen a high-contrast theme. Read once at start and
// again whenever the system says its settings or colours changed; every
// painter asks here, so the buttons, menus and page pictures always agree.
#pragma once

namespace quenzel {

// True while a high-contrast theme is on (as last read).
bool HighContrastOn();

// Reads the system's setting anew; true when it changed since the last read.
bool ReadHighContrast();

// Holds the answer at `on` whatever the system says (the Windows tests,
// where Wine cannot switch the theme); ReadHighContrast no longer changes it.
void HoldHighContrast(bool on);

} // namespace quenzel
