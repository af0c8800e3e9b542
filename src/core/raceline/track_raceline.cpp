#include "core/raceline/track_raceline.h"

#include "core/track/one_line.h"
#include "core/track/world_rows.h"

#include <algorithm>
#include <string>

namespace velmora {

Result<RacelineInput> CorridorOf(const TrackSamples& samples, const WorldFrame& frame)
{
    const Result<std::vector<WorldRow>> rows = WorldRows(samples, frame);
    if (!rows)
        return Fail(rows.error());
    const double cell = frame.Metres(kMapCellReach);
    RacelineInput in;
    in.closed = samples.closed;
    for (std::size_t i = 0; i < rows->size(); ++i) {
        const WorldRow& w = (*rows)[i];
        // The line keeps its clearance from the polyline through the rows;
        // on the inside of a bend that runs outside the surface's curved
        // centre by up to the sagitta gap^2 |kappa| / 8 between rows, so the
        // inner edge is that much closer than the polyline says.
        const double gap = i + 1 < rows->size() ? (*rows)[i + 1].s - w.s : i > 0 ? w.s - (*rows)[i - 1].s : 0.0;
        const double sagitta = gap * gap * std::abs(w.kappa) / 8;
        in.centre.push_back({w.x, w.y});
        in.widthLeft.push_back(std::max(0.0, w.widthLeft - cell - (w.kappa > 0 ? sagitta : 0.0)));
        in.widthRight.push_back(std::max(0.0, w.widthRight - cell - (w.kappa < 0 ? sagitta : 0.0)));
    }
    return in;
}

Result<Raceline> RacelineOfTrack(std::string_view trackPath, double trackWidth, const WorldFrame& frame,
                                 const Vehicle& vehicle, const SourceEdges* sourceEdges)
{
    if (SecondFigureAt(trackPath) != std::string_view::npos)
        return Fail("the track goes on after its loop is closed: only one line can be followed");
    const double spacing = DefaultSpacing(frame.metresPerPixel);
    const Result<TrackSamples> samples = SampleTrack(trackPath, spacing, trackWidth);
    if (!samples)
        return Fail(samples.error());
    Result<RacelineInput> corridor = CorridorOf(*samples, frame);
    if (!corridor)
        return Fail(corridor.error());
    if (sourceEdges)
        NarrowToSourceEdges(*corridor, *sourceEdges, vehicle.Clearance());
    return ComputeRaceline(*corridor, vehicle, vehicle.RowSpacing(frame.Metres(spacing)));
}

} // namespace velmora
