#pragma once

#include "core/formats/centreline_rows.h"
#include "core/result.h"
#include "core/track/track_samples.h"
#include "core/track/world_frame.h"

#include <string>
#include <vector>

namespace velmora {

// The rows the centre line file holds, before they are written as text:
// the same rows its reader gives back, in the world frame.
Result<std::vector<CentrelineRow>> CentrelineRows(const TrackSamples& samples, const WorldFrame& frame);

// The centre line as racing-line and trajectory tools read it: a header
// "# x_m,y_m,w_tr_right_m,w_tr_left_m", then one row per sample (a loop does
// not repeat its first row), in the world frame. LF line ends.
Result<std::string> CentrelineCsv(const TrackSamples& samples, const WorldFrame& frame);

} // namespace velmora
