#include "core/formats/centreline_csv.h"

#include "core/formats/number_text.h"

namespace velmora {

Result<std::string> CentrelineCsv(const TrackSamples& samples, const WorldFrame& frame)
{
    if (Status usable = CheckFrame(frame); !usable)
        return Fail(usable.error());
    std::string text = "# x_m,y_m,w_tr_right_m,w_tr_left_m\n";
    text.reserve(text.size() + samples.rows.size() * 40);
    for (const TrackSample& r : samples.rows) {
        const WorldSample w = InWorld(r, samples.halfWidth, frame);
        if (!IsFinite(w))
            return Fail("the track lies too far out in this frame for its metres to be written");
        const std::string half = FormatTrimmed(w.halfWidth, kMetreDecimals);
        text += FormatTrimmed(w.x, kMetreDecimals) + ',' + FormatTrimmed(w.y, kMetreDecimals) + ',' + half + ',' +
                half + '\n';
    }
    return text;
}

} // namespace velmora
