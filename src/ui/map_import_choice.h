#pragma once

#include "core/mapin/map_centreline.h"

#include <QString>
#include <string>

namespace velmora {

// What the Import Map dialog asks, in the editor's words. The same choices
// as velmora-export's map options: a start, the way round, wall gaps to
// close and specks to ignore.
struct MapImportChoice {
    enum class Direction { CounterClockwise, Clockwise, StartHeading };

    bool startGiven = false; // else automatic: the map's origin, else its largest free loop
    double startX = 0;       // metres in the map's frame
    double startY = 0;
    Direction direction = Direction::CounterClockwise;
    double headingDegrees = 0; // for StartHeading: 0 along +x, counter-clockwise
    double closeGaps = 0;      // metres; 0: none
    double minObstacle = 0;    // metres; 0: three cells
    // The track as wide as the map's free space (median), as velmora-export
    // takes it without --track-width; else the editor's width.
    bool measuredWidth = true;
};

// The choice as the core takes it.
MapTrackOptions TrackOptions(const MapImportChoice& choice);

// The choice offered for the map at `path`, from the one made last for the
// map at `lastPath`: a start belongs to its map and is dropped for another.
MapImportChoice ChoiceForMap(const MapImportChoice& last, const QString& lastPath, const QString& path);

} // namespace velmora
