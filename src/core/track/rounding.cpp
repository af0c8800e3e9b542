#include "core/track/rounding.h"

#include <limits>

namespace velmora {

std::int32_t ToInt32Saturated(double v)
{
    if (std::isnan(v))
        return 0;
    if (v <= std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    if (v >= std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(v);
}

} // namespace velmora
