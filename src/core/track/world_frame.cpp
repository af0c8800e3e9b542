#include "core/track/world_frame.h"

#include "core/formats/number_text.h"
#include "core/geometry/angles.h"

#include <cmath>

namespace velmora {

namespace {

std::string WithADecimal(double v)
{
    std::string text = FormatShortest(v);
    if (std::isfinite(v) && text.find('.') == std::string::npos)
        text += ".0";
    return text;
}

} // namespace

double WorldFrame::Heading(double canvasRadians)
{
    return WrapAngle(-canvasRadians);
}

Status CheckFrame(const WorldFrame& f)
{
    if (!(f.metresPerPixel > 0) || !std::isfinite(f.metresPerPixel))
        return Fail("the scale must be a number of metres per pixel greater than 0");
    if (!std::isfinite(f.originX) || !std::isfinite(f.originY))
        return Fail("the origin must be two finite numbers");
    return {};
}

std::string OriginText(const WorldFrame& f)
{
    return WithADecimal(f.originX) + ',' + WithADecimal(f.originY);
}

} // namespace velmora
