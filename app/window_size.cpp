#include "app/window_size.h"

#include "base/dpi_scale.h"

namespace quenzel {

namespace {
constexpr int ClientWidth = 792;
constexpr int ClientHeight = 456;
constexpr int AboveCentre = 3;
} // namespace

WindowPlacement MainWindowPlacement(const WindowMetrics& m)
{
    WindowPlacement p;
    p.width = ScaleToDpi(ClientWidth, m.dpi) + 2 * m.edgeWidth + 2 * m.focusBorderWidth;
    p.height =
        m.statusBarHeight + ScaleToDpi(ClientHeight, m.dpi) + m.captionHeight + 2 * m.focusBorderHeight + m.menuHeight;
    p.x = m.screenWidth / 2 - p.width / 2;
    p.y = m.screenHeight / 2 - p.height / 2 - AboveCentre;
    return p;
}

} // namespace quenzel
