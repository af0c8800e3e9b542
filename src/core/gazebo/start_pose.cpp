#include "core/gazebo/start_pose.h"

#include "core/formats/number_text.h"
#include "core/geometry/angles.h"
#include "core/track/path.h"
#include "core/gazebo/xml_text.h"

#include <cmath>

namespace velmora {

std::optional<StartPose> TrackStartPose(std::string_view trackPath, const WorldFrame& frame)
{
    const PathMeasure measure(trackPath);
    for (const PathMeasure::Segment& s : measure.Segments()) {
        if (!(s.length > 0))
            continue;
        const double yaw = WorldFrame::Heading(Radians(s.degrees));
        return StartPose{frame.X(s.a.x), frame.Y(s.a.y), yaw};
    }
    return std::nullopt;
}

std::string StartPoseText(const StartPose& pose)
{
    return "start pose x " + FormatTrimmed(pose.x, 2) + " y " + FormatTrimmed(pose.y, 2) + " yaw " +
           FormatTrimmed(pose.yaw, 3);
}

} // namespace velmora
