#pragma once

#include "core/track/path.h"
#include "core/track/simplify.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace velmora {

// The track surface as the picture and the occupancy map paint it: the
// stroke of half width r along the path, round at its corners and flat
// across an open figure's ends. That is every point within r of a segment,
// less what lies beyond a flat end. The edges of the sampled outputs, the
// race line's corridor and the Gazebo walls all find the surface's edge
// here, so they agree with the picture and with one another.
class TrackSurface {
public:
    // Indexes the whole path.
    TrackSurface(const std::vector<PathFigure>& figures, double r);
    // Indexes only what reaches the canvas: edges found on a picture of it.
    TrackSurface(const std::vector<PathFigure>& figures, double r, int canvasWidth, int canvasHeight);

    double HalfWidth() const { return r_; }

    // How far one can go from p in the unit direction d before leaving the
    // surface for the first time: 0 when p is off it. Where the surface
    // runs on into another part of the track, the way goes on through both.
    double ExitAlong(CanvasPoint p, CanvasPoint d) const;

    // Where on the track a point near the centre line is: the distance along
    // the path (as PathMeasure counts it) of the centre line point nearest to
    // it, a round corner's for a point of its arc, and the side of the
    // direction of travel it lies on as the screen shows it: +1 left, -1
    // right. None when p lies further than r + 4 from the centre line.
    struct Place {
        double along = 0;
        int side = 0;
        double distance = 0; // from the centre line
        CanvasPoint foot;    // the nearest centre line point
        CanvasPoint travel;  // unit direction of travel there
    };
    std::optional<Place> PlaceOf(CanvasPoint p) const;

    // The nearest point of the outline when it lies within `reach` of p;
    // p itself otherwise. It puts points found on a picture of the surface
    // back on the true edge.
    CanvasPoint Snap(CanvasPoint p, double reach) const;

private:
    struct Segment {
        CanvasPoint a;
        CanvasPoint b;
        CanvasPoint before;     // unit direction of the stretch that runs into a, or of this one
        CanvasPoint after;      // of the one that runs on from b, or of this one
        double start = 0;       // distance along the path where it starts
        bool openStart = false; // a is a flat end of the stroke
        bool openEnd = false;   // b is
    };
    struct Nearest {
        const Segment* segment = nullptr;
        double distance = 0;
        double t = 0; // where along the segment, 0 to 1
    };

    void Build(const std::vector<PathFigure>& figures);
    void Index(double minX, double minY, double maxX, double maxY);
    void Add(int index);
    bool CellOf(CanvasPoint p, int& cx, int& cy) const;
    Nearest NearestSegment(CanvasPoint p) const;
    std::vector<int> SegmentsNear(CanvasPoint p, double reach) const;
    std::size_t Cell(int cx, int cy) const
    {
        return std::size_t(cy) * std::size_t(columns_) + std::size_t(cx);
    }

    std::vector<Segment> segments_;
    double r_ = 0;
    double originX_ = 0;
    double originY_ = 0;
    double cell_ = 0;
    int columns_ = 0;
    int rows_ = 0;
    std::vector<std::vector<int>> grid_; // segments whose stroke reaches each cell
};

} // namespace velmora
