#pragma once

#include "core/raceline/cubic_spline.h"
#include "core/raceline/vehicle.h"
#include "single_track.h"

#include <string>
#include <vector>

namespace velmora::sim {

// A closed path for the driver: points with the speed and acceleration
// planned from each to the next.
struct PlannedPoint {
    double x = 0;
    double y = 0;
    double speed = 0;
    double acceleration = 0;
};

// The surface the car must keep to: its centre line (a loop) and the
// distance to each edge.
struct TrackSurface {
    std::vector<WorldPoint> centre;
    std::vector<double> left;
    std::vector<double> right;
};

struct DriveOptions {
    double constantSpeed = 0; // when above 0: this speed all round, not the plan's
    double dt = 0.01;         // seconds, as the F1TENTH simulator steps
};

struct DriveResult {
    bool finished = false;    // a whole lap on the surface, in the grip, without spinning
    std::string why;          // when not
    double lapTime = 0;       // seconds
    double worstOffPath = 0;  // metres from the path
    double medianOffPath = 0; // over the lap
    double worstFriction = 0; // friction needed over friction there is
    double closestEdge = 0;   // metres left between the car's side and an edge
};

// Drives one flying lap of the path from its first point at its first
// speed: a pure-pursuit follower with the path's curvature and the tyres'
// slip fed forward steers, a speed controller follows the plan's speeds
// with its accelerations fed forward. The edges are kept by the vehicle's
// width.
DriveResult DriveLap(const Vehicle& vehicle, const SingleTrackCar& car, const std::vector<PlannedPoint>& path,
                     const TrackSurface& surface, const DriveOptions& options);

} // namespace velmora::sim
