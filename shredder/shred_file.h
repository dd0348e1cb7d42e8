// Shredding one file: its content overwritten once with zero bytes, flushed
// to the disk, and the file deleted when asked. No window is involved, so
// any thread may call it.
#pragma once

#include "shredder/shred_tally.h"

#include <cstddef>
#include <string>

namespace quenzel {

// The zero block written again and again up to the file's end: memory stays
// the same for a file of any size.
inline constexpr size_t ShredBlockSize = 1u << 20;

// Overwrites the whole content with zeros and flushes it, holding the file
// open with no sharing meanwhile. Shredded when every byte was written and
// the flush succeeded; an empty file needs neither. The path is opened as
// named (a name ending in a dot or a space is not its twin), and a link is
// opened itself, never followed, and left alone.
ShredResult OverwriteWithZeros(const std::wstring& path);

// Overwrites the file and, when `deleteAfter` is set, deletes it directly
// (no recycle bin). A file that was not fully overwritten is never deleted.
ShredResult ShredFile(const std::wstring& path, bool deleteAfter);

} // namespace quenzel
