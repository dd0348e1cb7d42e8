#include "base/char_kinds.h"

#include <algorithm>

namespace quenzel {

namespace {
constexpr char32_t LastCodePoint = 0x10FFFF;
}

CharKind CharKindOf(char32_t codePoint)
{
    if (codePoint > LastCodePoint)
        return CharKind::Other;
    const CharKindRun* end = CharKindRuns + CharKindRunCount;
    const CharKindRun* after = std::upper_bound(
        CharKindRuns, end, codePoint, [](char32_t point, const CharKindRun& run) { return point < run.first; });
    return (after - 1)->kind;
}

} // namespace quenzel
