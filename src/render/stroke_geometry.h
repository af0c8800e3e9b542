#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <vector>

namespace velmora {

// A figure of the current path in canvas pixels.
struct Figure {
    std::vector<QPointF> points;
    bool closed = false;
};

// Which stretches of a figure are inked: a point at distance s from the
// figure's start is inked while (s + offset) mod period < on. A period of 0
// or less inks everything.
struct InkPattern {
    double on = 0;
    double period = 0;
    double offset = 0;
};

// The centre lines of the inked stretches that a stroke of half width r can
// show inside `view`, ready to be stroked with a flat-ended pen of width 2r.
// Everything that cannot reach the view is left out, so the work stays bounded
// by the view's size and the number of segments whatever the coordinates,
// widths or pattern lengths. Where ink runs on across a corner, or begins
// exactly at one (a dash starting on the corner, the start of a loop), the
// corner stays a joint of one polyline or gets a short stub, so the join and
// its outer arc are drawn; ink that only ends at a corner stops square there.
QPainterPath InkedCentreLines(const std::vector<Figure>& figures, double r, const QRectF& view,
                              const InkPattern& pattern);

// Discs of radius r centred on every point at distance s from a figure's start
// where s + offset is a whole multiple of spacing, up to the figure's end; only
// those that can reach the view, as polygons. Needs spacing > 0.
QPainterPath DotDiscs(const std::vector<Figure>& figures, double r, double spacing, double offset,
                      const QRectF& view);

// The stretch [lo, hi] (distances from a) of the segment a-b whose band of
// half width r, reaching `extend` further along the segment, can touch the
// view. False when none can, or when a and b coincide.
bool ReachOfSegment(QPointF a, QPointF b, double r, double extend, const QRectF& view, double& lo,
                    double& hi);

// The outline of what a flat-ended pen with round corners covers between the
// signed offsets lo < hi from the polyline (positive to the left of the
// direction of travel, on screen), as one closed contour; empty when the
// polyline has no length. Contours of any polylines all turn the same way, so
// a winding fill unions them. lo = -r, hi = r
// is the whole stroke of width 2r; 0 < lo < hi is the band along one side.
// Shallow inner corners are cut where the two offset edges meet; sharper
// ones go round through the corner point as the stroker does (for a band
// along one side, through its edge nearer the centre line).
std::vector<QPointF> BandOutline(const std::vector<QPointF>& polyline, double lo, double hi);

// (x mod m) in [0, m) for m > 0.
double PositiveMod(double x, double m);

// Distance from p to the rectangle (0 inside it).
double DistanceToRect(QPointF p, const QRectF& rect);

// Clips the segment a-b to the rectangle; false when nothing of it is inside.
bool ClipSegment(QPointF& a, QPointF& b, const QRectF& rect);

} // namespace velmora
