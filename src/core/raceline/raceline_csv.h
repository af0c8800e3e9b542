#pragma once

#include "core/raceline/raceline.h"

#include <string>

namespace velmora {

// The line as F1TENTH race stacks and trajectory optimisers read it: the
// header "# s_m; x_m; y_m; psi_rad; kappa_radpm; vx_mps; ax_mps2", then one
// row per line sample, fields joined by "; ", LF line ends, fixed decimals
// (0.1 mm for lengths, micro-units for angles and curvature).
std::string RacelineCsv(const Raceline& line);

// "race line 5,734 m, lap 1:47.3": the length to the metre with thousands
// separated by commas, the lap time as minutes, seconds and tenths.
std::string RacelineSummary(double lengthM, double lapTimeS);

} // namespace velmora
