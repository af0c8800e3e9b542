#include "core/formats/centreline_csv.h"

#include "core/formats/number_text.h"
#include "core/track/world_rows.h"

namespace velmora {

Result<std::vector<CentrelineRow>> CentrelineRows(const TrackSamples& samples, const WorldFrame& frame)
{
    const Result<std::vector<WorldRow>> rows = WorldRows(samples, frame);
    if (!rows)
        return Fail(rows.error());
    std::vector<CentrelineRow> out;
    out.reserve(rows->size());
    for (const WorldRow& w : *rows) {
        // The drawn width on both sides, so that importing the file gives
        // back the track it was written from; a track's own widths where
        // it has them.
        const double right = samples.rowWidths ? w.widthRight : w.halfWidth;
        const double left = samples.rowWidths ? w.widthLeft : w.halfWidth;
        out.push_back({w.x, w.y, right, left, true, out.size() + 2});
    }
    return out;
}

Result<std::string> CentrelineCsv(const TrackSamples& samples, const WorldFrame& frame)
{
    const Result<std::vector<CentrelineRow>> rows = CentrelineRows(samples, frame);
    if (!rows)
        return Fail(rows.error());
    std::string text = "# x_m,y_m,w_tr_right_m,w_tr_left_m\n";
    text.reserve(text.size() + rows->size() * 40);
    for (const CentrelineRow& r : *rows)
        text += FormatTrimmed(r.x, kMetreDecimals) + ',' + FormatTrimmed(r.y, kMetreDecimals) + ',' +
                FormatTrimmed(r.widthRight, kMetreDecimals) + ',' +
                FormatTrimmed(r.widthLeft, kMetreDecimals) + '\n';
    return text;
}

} // namespace velmora
