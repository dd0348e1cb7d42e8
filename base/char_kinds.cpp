#include "base/char_kinds.h"

#include <algorithm>

namespace quenzel {

namespace {
constexpr char32_t LastCodePoint = 0x10FFFF;
}

CharClass ClassOf(char32_t codePoint)
{
    if (codePoint > LastCodePoint)
        return {CharKind::Other, AnyScript};
    const CharClassRun* end = CharClassRuns + CharClassRunCount;
    const CharClassRun* after = std::upper_bound(
        CharClassRuns, end, codePoint, [](char32_t point, const CharClassRun& run) { return point < run.first; });
    return {(after - 1)->kind, (after - 1)->script};
}

} // namespace quenzel
