#include "app/opacity.h"

namespace quenzel {

namespace {
constexpr int LowByteMask = 0xFF;
}

int EffectiveOpacity(int stored)
{
    const int percent = stored & LowByteMask;
    if (percent == 0)
        return 0;
    if (percent < LowestOpacity)
        return LowestOpacity;
    if (percent > HighestOpacity)
        return HighestOpacity;
    return percent;
}

} // namespace quenzel
