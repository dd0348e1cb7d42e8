// Whether a language text may be used as the format of its key: a language
// file is edited by users and may come from anywhere, so a text is handed
// to a printf-style function only when its conversions are exactly the
// arguments the code passes. Portable: no windows.h.
#pragma once

#include <string>

namespace quenzel {

// `arguments` lists the key's arguments in order, separated by commas:
// "int" (taken by %i or %d) and "str" (taken by %s); "" for none. Flags
// and a width are allowed, a length modifier, '*' or any other conversion
// is not; "%%" stands for a percent sign.
bool FormatTakes(const std::wstring& format, const char* arguments);

} // namespace quenzel
