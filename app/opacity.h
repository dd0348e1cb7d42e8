// The main window's opacity from the stored transparency percentage.
// Portable: no windows.h.
#pragma once

namespace quenzel {

// The lowest and highest opacity the transparency dialog offers.
inline constexpr int LowestOpacity = 30;
inline constexpr int HighestOpacity = 100;

// The percentage to apply for a stored value: its low byte, where 0 means
// no transparency at all; a low byte the dialog cannot produce is brought
// into its range, so the window never becomes all but invisible.
int EffectiveOpacity(int stored);

} // namespace quenzel
