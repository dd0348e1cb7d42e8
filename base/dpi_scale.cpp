#include "base/dpi_scale.h"

namespace quenzel {

int ScaleToDpi(int design, int dpi)
{
    const long long product = static_cast<long long>(design) * dpi;
    const long long half = DesignDpi / 2;
    const long long rounded = product >= 0 ? (product + half) / DesignDpi : -((-product + half) / DesignDpi);
    return static_cast<int>(rounded);
}

DesignRect ScaleRectToDpi(const DesignRect& design, int dpi)
{
    const int left = ScaleToDpi(design.x, dpi);
    const int top = ScaleToDpi(design.y, dpi);
    const int right = ScaleToDpi(design.x + design.width, dpi);
    const int bottom = ScaleToDpi(design.y + design.height, dpi);
    return DesignRect{left, top, right - left, bottom - top};
}

} // namespace quenzel
