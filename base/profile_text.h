// The text forms a settings file may come in, and the one the system's
// profile functions read without loss: UTF-16LE with a byte-order mark.
// Portable: no windows.h.
#pragma once

#include <string>

namespace quenzel {

enum class ProfileTextForm {
    Readable,    // UTF-16 with a byte-order mark, or single-byte text the ANSI code page reads as meant
    Utf16NoMark, // UTF-16LE without a byte-order mark: read as ANSI, every setting would be lost
    Utf8,        // UTF-8 with text beyond ASCII, or with a byte-order mark: its names would be garbled
};

ProfileTextForm DetectProfileTextForm(const std::string& bytes);

// True when the text starts with a UTF-16 byte-order mark (either order);
// a readable file without one is ANSI text.
bool HasUtf16ByteOrderMark(const std::string& bytes);

// The text of a file in the given form as UTF-16LE bytes with a byte-order
// mark; false when the bytes are not valid in that form.
bool ToUtf16Profile(const std::string& bytes, ProfileTextForm form, std::string& utf16le);

} // namespace quenzel
