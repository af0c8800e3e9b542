#include "core/raceline/track_raceline.h"

#include "core/track/one_line.h"

#include <string>

namespace velmora {

RacelineInput CorridorOf(const TrackSamples& samples, const WorldFrame& frame)
{
    RacelineInput in;
    in.closed = samples.closed;
    for (const TrackSample& row : samples.rows) {
        const WorldSample w = InWorld(row, samples.halfWidth, frame);
        in.centre.push_back({w.x, w.y});
        in.widthLeft.push_back(w.halfWidth);
        in.widthRight.push_back(w.halfWidth);
    }
    return in;
}

Result<Raceline> RacelineOfTrack(std::string_view trackPath, double trackWidth, const WorldFrame& frame,
                                 const Vehicle& vehicle)
{
    if (SecondFigureAt(trackPath) != std::string_view::npos)
        return Fail("the track goes on after its loop is closed: only one line can be followed");
    const double spacing = DefaultSpacing(frame.metresPerPixel);
    const Result<TrackSamples> samples = SampleTrack(trackPath, spacing, trackWidth);
    if (!samples)
        return Fail(samples.error());
    return ComputeRaceline(CorridorOf(*samples, frame), vehicle, frame.Metres(spacing));
}

} // namespace velmora
