#pragma once

#include <string_view>
#include <vector>

namespace velmora {

// A point of a path as the drawing layer holds it: 32-bit floats.
struct PathPoint {
    float x = 0;
    float y = 0;
};

// One figure (subpath) of a path, curves already flattened into straight
// segments. points[0] is where the figure starts; a closed figure also has the
// segment from points.back() back to points[0].
struct PathFigure {
    std::vector<PathPoint> points;
    bool closed = false;
};

// Reads SVG path data (M L H V C S Q T Z and their relative forms). Stops at
// the first malformed token (arcs included) and keeps what was read before
// it. Text that does not begin with a moveto starts at (0, 0). Commands after
// a Z start a new figure at the closed figure's first point. Coordinates that
// do not fit a float end the reading. Never throws; linear in the text.
std::vector<PathFigure> ParsePathText(std::string_view text);

// Where a distance along a path lands: the point and the direction (degrees,
// -180..180, atan2 of the segment) of the segment that holds it.
struct PathSample {
    double x = 0;
    double y = 0;
    double degrees = 0;
};

// Measures a parsed path. Lengths and interpolation are done in double from
// the float coordinates. A distance that falls exactly on the joint of two
// segments belongs to the earlier one; s <= 0 gives the start of the first
// segment, s beyond the end the end of the last; a path without segments gives
// (0, 0) and direction 0.
class PathMeasure {
public:
    PathMeasure() = default;
    explicit PathMeasure(const std::vector<PathFigure>& figures);
    explicit PathMeasure(std::string_view pathText);

    double TotalLength() const { return total_; }
    bool HasSegments() const { return !segments_.empty(); }
    PathSample At(double s) const;
    // Where At(TotalLength()) lands, taken as the end point its segment
    // holds rather than a step along it: the same number at every
    // optimisation level, with no rounding to undo.
    PathSample End() const;
    PathSample PointAt(double s) const { return At(s); }
    double DirectionAt(double s) const { return At(s).degrees; }

    struct Segment {
        PathPoint a;
        PathPoint b;
        double length = 0;
        double start = 0;  // distance along the path where the segment starts
        double degrees = 0;
    };
    const std::vector<Segment>& Segments() const { return segments_; }

private:
    std::vector<Segment> segments_;
    double total_ = 0;
};

}  // namespace velmora
