#include "core/formats/centreline_csv.h"

#include "core/formats/number_text.h"
#include "core/track/world_rows.h"

namespace velmora {

Result<std::string> CentrelineCsv(const TrackSamples& samples, const WorldFrame& frame)
{
    const Result<std::vector<WorldRow>> rows = WorldRows(samples, frame);
    if (!rows)
        return Fail(rows.error());
    std::string text = "# x_m,y_m,w_tr_right_m,w_tr_left_m\n";
    text.reserve(text.size() + rows->size() * 40);
    for (const WorldRow& w : *rows) {
        // The drawn width on both sides, so that importing the file gives
        // back the track it was written from; a track's own widths where
        // it has them.
        const double right = samples.rowWidths ? w.widthRight : w.halfWidth;
        const double left = samples.rowWidths ? w.widthLeft : w.halfWidth;
        text += FormatTrimmed(w.x, kMetreDecimals) + ',' + FormatTrimmed(w.y, kMetreDecimals) + ',' +
                FormatTrimmed(right, kMetreDecimals) + ',' + FormatTrimmed(left, kMetreDecimals) + '\n';
    }
    return text;
}

} // namespace velmora
