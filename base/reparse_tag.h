// Which folders that are reparse points a folder walk enters, decided by
// the tag the folder listing gives. Portable: no windows.h.
#pragma once

#include <cstdint>

namespace quenzel {

// The tags of the most common reparse points, as the system defines them.
inline constexpr uint32_t ReparseTagMountPoint = 0xA0000003; // junctions and mount points
inline constexpr uint32_t ReparseTagSymlink = 0xA000000C;
// The bit of a tag that marks a reparse point standing for another file or
// folder (IsReparseTagNameSurrogate).
inline constexpr uint32_t ReparseTagNameSurrogateBit = 0x20000000;

// True for a folder whose own files lie in it, such as a cloud-sync
// placeholder; false for a link or junction, which could lead anywhere or
// into a loop. A listing that gives no tag (0, which no reparse point
// carries) leaves the folder unentered: it may be a link.
bool WalkEntersReparseFolder(uint32_t tag);

} // namespace quenzel
