#include "core/track/world_frame.h"

#include "core/formats/number_text.h"
#include "core/geometry/angles.h"

#include <cmath>

namespace velmora {

namespace {

std::string WithADecimal(double v)
{
    std::string text = FormatBrief(v);
    if (std::isfinite(v) && text.find_first_of(".e") == std::string::npos)
        text += ".0";
    return text;
}

} // namespace

bool WithinWorld(double metres)
{
    return std::abs(metres) <= kMaxWorldMetres;
}

double WorldFrame::Heading(double canvasRadians)
{
    return WrapAngle(-canvasRadians);
}

Status CheckFrame(const WorldFrame& f)
{
    if (!(f.metresPerPixel > 0) || !std::isfinite(f.metresPerPixel))
        return Fail("the scale must be a number of metres per pixel greater than 0");
    if (f.metresPerPixel < kMinMetresPerPixel || f.metresPerPixel > kMaxMetresPerPixel)
        return Fail("the scale must be from " + FormatShortest(kMinMetresPerPixel) + " to " +
                    FormatShortest(kMaxMetresPerPixel) + " m per pixel, not " + FormatBrief(f.metresPerPixel));
    if (!std::isfinite(f.originX) || !std::isfinite(f.originY))
        return Fail("the origin must be two finite numbers");
    if (!WithinWorld(f.originX) || !WithinWorld(f.originY))
        return Fail("the origin must lie within " + FormatShortest(kMaxWorldMetres) + " m of 0, not " +
                    OriginText(f));
    return {};
}

std::string OriginText(const WorldFrame& f)
{
    return WithADecimal(f.originX) + ',' + WithADecimal(f.originY);
}

} // namespace velmora
