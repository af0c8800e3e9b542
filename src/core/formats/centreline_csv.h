#pragma once

#include "core/result.h"
#include "core/track/track_samples.h"
#include "core/track/world_frame.h"

#include <string>
#include <vector>

namespace velmora {

// One row of the centre line in the world frame: metres, y up, the widths
// to the right and left edges along the normal.
struct CentrelineRow {
    double x = 0;
    double y = 0;
    double widthRight = 0;
    double widthLeft = 0;
};

// The rows the centre line file holds, before they are written as text.
Result<std::vector<CentrelineRow>> CentrelineRows(const TrackSamples& samples, const WorldFrame& frame);

// The centre line as racing-line and trajectory tools read it: a header
// "# x_m,y_m,w_tr_right_m,w_tr_left_m", then one row per sample (a loop does
// not repeat its first row), in the world frame. LF line ends.
Result<std::string> CentrelineCsv(const TrackSamples& samples, const WorldFrame& frame);

} // namespace velmora
