#include "core/settings/settings.h"

#include <cmath>

namespace velmora {

int CanvasSide(double stored)
{
    if (std::isnan(stored))
        return 1;
    const double r = std::nearbyint(stored);
    if (r < 1)
        return 1;
    if (r > kMaxCanvasSide)
        return kMaxCanvasSide;
    return static_cast<int>(r);
}

int FontPoints(std::int32_t stored) { return stored < 1 ? 1 : stored; }

}  // namespace velmora
