#include "ui/map_import_choice.h"

#include "core/geometry/angles.h"

namespace velmora {

MapTrackOptions TrackOptions(const MapImportChoice& choice)
{
    MapTrackOptions o;
    o.startGiven = choice.startGiven;
    o.startX = choice.startX;
    o.startY = choice.startY;
    o.reverse = choice.direction == MapImportChoice::Direction::Clockwise;
    o.yawGiven = choice.direction == MapImportChoice::Direction::StartHeading;
    o.startYaw = Radians(choice.headingDegrees);
    o.closeGaps = choice.closeGaps;
    o.minObstacle = choice.minObstacle;
    return o;
}

MapImportChoice ChoiceForMap(const MapImportChoice& last, const QString& lastPath, const QString& path)
{
    MapImportChoice choice = last;
    if (lastPath != path) {
        choice.startGiven = false;
        choice.startX = choice.startY = 0;
    }
    return choice;
}

} // namespace velmora
