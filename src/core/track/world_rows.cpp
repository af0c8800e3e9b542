#include "core/track/world_rows.h"

#include <cmath>

namespace velmora {

namespace {

WorldRow InWorld(const TrackSample& r, double halfWidth, const WorldFrame& f)
{
    WorldRow w;
    w.s = f.Metres(r.s);
    w.x = f.X(r.x);
    w.y = f.Y(r.y);
    w.psi = WorldFrame::Heading(r.heading);
    // y turns over, so a bend clockwise on the screen is one to the right.
    w.kappa = -r.curvature / f.metresPerPixel;
    w.halfWidth = f.Metres(halfWidth);
    w.widthLeft = f.Metres(r.widthLeft);
    w.widthRight = f.Metres(r.widthRight);
    w.xLeft = f.X(r.left.x);
    w.yLeft = f.Y(r.left.y);
    w.xRight = f.X(r.right.x);
    w.yRight = f.Y(r.right.y);
    return w;
}

bool IsFinite(const WorldRow& w)
{
    for (const double v : {w.s, w.x, w.y, w.psi, w.kappa, w.halfWidth, w.widthLeft, w.widthRight, w.xLeft,
                           w.yLeft, w.xRight, w.yRight})
        if (!std::isfinite(v))
            return false;
    return true;
}

} // namespace

Result<std::vector<WorldRow>> WorldRows(const TrackSamples& samples, const WorldFrame& frame)
{
    if (Status usable = CheckFrame(frame); !usable)
        return Fail(usable.error());
    std::vector<WorldRow> rows;
    rows.reserve(samples.rows.size());
    for (const TrackSample& r : samples.rows) {
        rows.push_back(InWorld(r, samples.halfWidth, frame));
        if (!IsFinite(rows.back()))
            return Fail("the track lies too far out in this frame for its metres to be written");
    }
    return rows;
}

} // namespace velmora
