#include "core/formats/waypoints_csv.h"

#include "core/formats/number_text.h"
#include "core/track/world_rows.h"

namespace velmora {

Result<std::string> WaypointsCsv(const TrackSamples& samples, const WorldFrame& frame)
{
    const Result<std::vector<WorldRow>> rows = WorldRows(samples, frame);
    if (!rows)
        return Fail(rows.error());
    std::string text =
        "# s_m,x_m,y_m,psi_rad,kappa_radpm,w_tr_right_m,w_tr_left_m,x_right_m,y_right_m,x_left_m,y_left_m\n";
    text.reserve(text.size() + rows->size() * 110);
    for (const WorldRow& w : *rows) {
        bool first = true;
        for (const double v : {w.s, w.x, w.y, w.psi, w.kappa, w.widthRight, w.widthLeft, w.xRight, w.yRight,
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
