#include "render/gazebo/gazebo_world.h"

#include "render/gazebo/wall_trace.h"
#include "render/occupancy_map.h"

namespace velmora {

Result<GazeboWorld> BuildGazeboWorld(const GazeboInput& in)
{
    // Checked before the map is drawn: a width or canvas that is no use
    // would only make an empty or a huge picture.
    if (Status usable = CheckGazeboInput(in); !usable)
        return Fail(usable.error());
    const QImage map = OccupancyMap(in.trackPath, in.trackWidth, in.canvasWidth, in.canvasHeight);
    if (map.isNull())
        return Fail("could not make the Gazebo world: there is no memory for the walls of a " +
                    std::to_string(in.canvasWidth) + " x " + std::to_string(in.canvasHeight) + " px canvas");
    return GazeboWorldFiles(in, TraceWalls(map, in.trackPath, in.trackWidth));
}

} // namespace velmora
