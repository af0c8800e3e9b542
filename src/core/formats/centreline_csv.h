#pragma once

#include "core/result.h"
#include "core/track/track_samples.h"
#include "core/track/world_frame.h"

#include <string>

namespace velmora {

// The centre line as racing-line and trajectory tools read it: a header
// "# x_m,y_m,w_tr_right_m,w_tr_left_m", then one row per sample (a loop does
// not repeat its first row), in the world frame. LF line ends.
Result<std::string> CentrelineCsv(const TrackSamples& samples, const WorldFrame& frame);

} // namespace velmora
