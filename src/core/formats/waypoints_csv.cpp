#include "core/formats/waypoints_csv.h"

#include "core/formats/number_text.h"

namespace velmora {

Result<std::string> WaypointsCsv(const TrackSamples& samples, const WorldFrame& frame)
{
    if (Status usable = CheckFrame(frame); !usable)
        return Fail(usable.error());
    std::string text =
        "# s_m,x_m,y_m,psi_rad,kappa_radpm,w_tr_right_m,w_tr_left_m,x_right_m,y_right_m,x_left_m,y_left_m\n";
    text.reserve(text.size() + samples.rows.size() * 110);
    for (const TrackSample& r : samples.rows) {
        const WorldSample w = InWorld(r, samples.halfWidth, frame);
        if (!IsFinite(w))
            return Fail("the track lies too far out in this frame for its metres to be written");
        bool first = true;
        for (const double v : {w.s, w.x, w.y, w.psi, w.kappa, w.halfWidth, w.halfWidth, w.xRight, w.yRight,
                               w.xLeft, w.yLeft}) {
            if (!first)
                text += ',';
            text += FormatTrimmed(v, kMetreDecimals);
            first = false;
        }
        text += '\n';
    }
    return text;
}

} // namespace velmora
