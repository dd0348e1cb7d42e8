#include "base/high_contrast.h"

#include <windows.h>

namespace quenzel {

namespace {
bool Read = false;
bool On = false;
bool Held = false;

bool SystemHighContrast()
{
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    // A system that cannot say has no high-contrast theme to follow.
    if (!SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0))
        return false;
    return (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}
} // namespace

bool HighContrastOn()
{
    if (!Read)
        ReadHighContrast();
    return On;
}

bool ReadHighContrast()
{
    Read = true;
    if (Held)
        return false;
    const bool now = SystemHighContrast();
    const bool changed = now != On;
    On = now;
    return changed;
}

void HoldHighContrast(bool on)
{
    Read = true;
    Held = true;
    On = on;
}

} // namespace quenzel
