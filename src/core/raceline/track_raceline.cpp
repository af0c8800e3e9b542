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
    for (const WorldRow& w : *rows) {
        in.centre.push_back({w.x, w.y});
        in.widthLeft.push_back(std::max(0.0, w.widthLeft - cell));
        in.widthRight.push_back(std::max(0.0, w.widthRight - cell));
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
    return ComputeRaceline(*corridor, vehicle, frame.Metres(spacing));
}

} // namespace velmora
