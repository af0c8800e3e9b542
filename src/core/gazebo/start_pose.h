#pragma once

#include "core/track/world_frame.h"

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Where a car is put down in a simulator's world: metres, and the heading in
// radians from +x counter-clockwise, in (-pi, pi].
struct StartPose {
    double x = 0;
    double y = 0;
    double yaw = 0;
};

// On the start strip facing along the track: the start of the path's first
// stretch that has a length, in that stretch's direction. nullopt when the
// path has no such stretch.
std::optional<StartPose> TrackStartPose(std::string_view trackPath, const WorldFrame& frame);

// "start pose x 12.35 y -40.2 yaw 1.571": metres to the centimetre, the
// heading to the milliradian.
std::string StartPoseText(const StartPose& pose);

} // namespace velmora
