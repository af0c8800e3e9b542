#include "core/track/track_model.h"

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
    const PathSample end = measure.At(c.length);
    // The drawing layer holds points as 32-bit floats; so does the cursor.
    c.x = static_cast<float>(end.x);
    c.y = static_cast<float>(end.y);
    c.angle = end.degrees * 0.017453292519943295;
    c.lastSegment = LastSegment(model.TrackPath);
}

void ClearCursor(TrackModel& model)
{
    model.cursor = {};
}

} // namespace velmora
