#include "core/track/track_model.h"

#include "core/geometry/angles.h"
#include "core/track/path.h"

namespace velmora {

std::string LastSegment(std::string_view path)
{
    const std::size_t at = path.find_last_of("MLCZ");
    if (at == std::string_view::npos)
        return {};
    return std::string(path.substr(at));
}

void RebuildCursor(TrackModel& model)
{
    const PathMeasure measure(model.TrackPath);
    TrackCursor& c = model.cursor;
    c.length = measure.TotalLength();
    // The drawing layer holds points as 32-bit floats; so does the cursor,
    // which takes the end point as the path holds it. Rounding a step along
    // the last stretch back to a float would hang on every conversion
    // surviving the optimiser.
    const PathSample end = measure.End();
    c.x = end.x;
    c.y = end.y;
    c.angle = Radians(end.degrees);
    c.lastSegment = LastSegment(model.TrackPath);
}

void ExtendCursor(TrackModel& model, std::string_view appended)
{
    TrackCursor& c = model.cursor;
    const std::string_view before =
        std::string_view(model.TrackPath).substr(0, model.TrackPath.size() - appended.size());
    const bool rebuilt = !c.lastSegment.empty() && std::string_view(c.lastSegment) == LastSegment(before) &&
                         model.TrackPath.ends_with(appended) && LastSegment(model.TrackPath) == appended;
    if (!rebuilt || appended.empty() || appended.front() != 'L') {
        RebuildCursor(model);
        return;
    }
    // Where the new stretch starts: the start itself while the path holds
    // only the start (whose cursor is the zero record), else the track's end
    // (after a Z, the figure's first point, where the closing stretch ends).
    PathPoint from{static_cast<float>(c.x), static_cast<float>(c.y)};
    if (c.lastSegment.front() == 'M') {
        const std::vector<PathFigure> start = ParsePathText(c.lastSegment);
        if (start.empty() || start.front().points.empty()) {
            RebuildCursor(model);
            return;
        }
        from = start.front().points.front();
    }
    // The stretch measured as the whole path would measure it.
    const std::vector<PathFigure> command = ParsePathText(appended);
    if (command.size() != 1 || command.front().points.size() != 2) {
        RebuildCursor(model);
        return;
    }
    const PathMeasure stretch(std::vector<PathFigure>{{{from, command.front().points.back()}, false}});
    const PathMeasure::Segment& seg = stretch.Segments().front();
    // While the track has no length yet the measure answers with the first
    // stretch's start: rare enough to measure it all.
    if (!(c.length + seg.length > 0)) {
        RebuildCursor(model);
        return;
    }
    c.lastSegment = appended;
    // A stretch of no length leaves the end where the one before put it.
    if (!(c.length + seg.length > c.length))
        return;
    c.length += seg.length;
    c.x = seg.b.x;
    c.y = seg.b.y;
    c.angle = Radians(seg.degrees);
}

void ClearCursor(TrackModel& model)
{
    model.cursor = {};
}

} // namespace velmora
