#pragma once

#include "core/raceline/raceline.h"

#include <string>
#include <vector>

namespace velmora {

// Where a heading of 0 points in the file: along +x (the F1TENTH race
// stacks' files and ours), or along +y (TUM's trajectory optimiser, whose
// psi is atan2(dy, dx) - pi/2).
enum class HeadingZero { East, North };

// What the file's two comment lines say besides the rows.
struct RacelineFileHeader {
    std::string program; // "velmora-export 1.4.0"
    std::string track;
    std::string vehicle;
    std::string vehicleNote; // in brackets after the vehicle's name when not empty
    HeadingZero headingZero = HeadingZero::East;
};

// The rows of the file as they are written: the line's rows with the
// heading measured from `headingZero`, and a loop's first row again at the
// end, at s = the lap length.
std::vector<RacelineRow> RacelineFileRows(const Raceline& line, HeadingZero headingZero);

// The line as F1TENTH race stacks and trajectory optimisers read it: two
// comment lines (the program; the track, vehicle with its note and lap time), the column
// header "# s_m; x_m; y_m; psi_rad; kappa_radpm; vx_mps; ax_mps2", then one
// row per line sample, fields joined by "; ", LF line ends, fixed decimals
// (0.1 mm for lengths, micro-units for angles and curvature). A loop ends
// with its first row again at s = the lap length, as those tools expect;
// their loaders skip three lines before the rows.
std::string RacelineCsv(const Raceline& line, const RacelineFileHeader& header);

// "race line 5,734 m, lap 1:47.3": the length to the metre with thousands
// separated by commas, the lap time as minutes, seconds and tenths. A line
// that is not a loop has no lap: "race line 412 m, end to end 0:31.2".
std::string RacelineSummary(double lengthM, double lapTimeS, bool closed = true);

} // namespace velmora
