#pragma once

#include "core/result.h"

#include "core/track/path.h"
#include "core/track/track_model.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

// A gate line across the track: the bearing of the track there and its two
// ends, the first left of the direction of travel, the second right of it.
struct RLLine {
    int index = 0;
    int angle = 0; // compass bearing in whole degrees, 0..359
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
};

// One end of an RLLine, rounded to whole pixels; `distance` is the working
// field of NearestLine.
struct RLEndpoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    int index = 0;
    std::int64_t distance = 0;
};

struct RLPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// More lines than this are refused: the file would be useless and building it
// would hold the window for a long time.
inline constexpr std::int64_t kMaxRLLines = 1'000'000;

// The compass bearing written for a track direction theta (degrees, -180..180).
int RLAngle(double theta);

// Wider than this, the ends of the lines leave the range the file's whole
// numbers can hold: the file would be written with clamped coordinates.
inline constexpr double kWidestRLTrack = 1e6;

// Whether the lines can be made for this path, gap and track width; the
// failure's text follows "could not export RL data: ".
Status RLExportProblem(const PathMeasure& path, double markerGap, double trackWidth);

// The lines at gap/2, 3 gap/2, ... for as long as they lie before the end of
// the track; always at least one. The caller checks RLExportProblem first.
std::vector<RLLine> ComputeRLLines(const PathMeasure& path, double markerGap, double trackWidth);

// Both ends of every line, rounded, in creation order.
std::vector<RLEndpoint> RLEndpoints(const std::vector<RLLine>& lines);

// The index of the line owning the end nearest to (x, y) by Manhattan
// distance. Sorts `endpoints` by distance in place with a stable sort; the
// order it leaves decides ties for the next call.
int NearestLine(std::int32_t x, std::int32_t y, std::vector<RLEndpoint>& endpoints);

struct RLExport {
    std::string text;              // the whole file, CR LF line ends
    std::vector<RLPoint> endMarks; // every line end, for the red marks
};

// The RL data file for a track and its markers.
RLExport BuildRLExport(const PathMeasure& path, const std::vector<RLMarker>& markers, double markerGap,
                       double trackWidth);

} // namespace velmora
