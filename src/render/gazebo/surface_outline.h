#pragma once

#include "core/track/path.h"
#include "core/track/simplify.h"

#include <cstddef>
#include <vector>

namespace velmora {

// The exact outline of the track surface: the stroke of half width r along
// the path, round at its corners and flat at an open figure's ends. It puts
// points found on a picture of the surface back on the true edge, so a
// straight edge traced as a staircase of pixels comes out straight.
class SurfaceOutline {
public:
    SurfaceOutline(const std::vector<PathFigure>& figures, double r, int canvasWidth, int canvasHeight);

    // The nearest point of the outline when it lies within `reach` of p;
    // p itself otherwise.
    CanvasPoint Snap(CanvasPoint p, double reach) const;

private:
    struct Segment {
        CanvasPoint a;
        CanvasPoint b;
        bool openStart = false; // a is a flat end of the stroke
        bool openEnd = false;   // b is
    };
    void Add(const Segment& s);
    std::size_t Cell(int cx, int cy) const
    {
        return std::size_t(cy) * std::size_t(columns_) + std::size_t(cx);
    }

    std::vector<Segment> segments_;
    double r_ = 0;
    double cell_ = 0;
    int columns_ = 0;
    int rows_ = 0;
    std::vector<std::vector<int>> grid_; // segments whose stroke reaches each cell
};

} // namespace velmora
