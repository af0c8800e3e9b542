#include "render/stroke_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

// A piece that ends at a corner and whose ink goes on into a segment that is
// not drawn gets a stub this long, so the stroker still draws the join.
constexpr double kStub = 0.01;

struct Seg {
    QPointF a;
    QPointF b;
    QPointF t; // unit direction
    double len = 0;
};

struct Interval {
    double a = 0;
    double b = 0;
};

std::vector<Seg> SegmentsOf(const Figure& figure)
{
    std::vector<Seg> segs;
    const auto& p = figure.points;
    auto add = [&segs](QPointF a, QPointF b) {
        const double dx = b.x() - a.x(), dy = b.y() - a.y();
        const double len = std::hypot(dx, dy);
        if (!(len > 0) || !std::isfinite(len))
            return; // no direction, or not a number we can place
        segs.push_back({a, b, QPointF(dx / len, dy / len), len});
    };
    for (size_t i = 1; i < p.size(); ++i)
        add(p[i - 1], p[i]);
    if (figure.closed && p.size() > 1)
        add(p.back(), p.front());
    return segs;
}

// Interpolates from the nearer end so far-away segments keep their precision.
QPointF PointOn(const Seg& s, double u)
{
    return u < s.len / 2 ? s.a + s.t * u : s.b - s.t * (s.len - u);
}

// The stretch [lo, hi] of the segment whose band of half width r (and, along
// the segment, reach `extend` beyond each point) can touch the view.
bool VisibleRange(const Seg& s, double r, double extend, const QRectF& view, double& lo, double& hi)
{
    const QPointF n(-s.t.y(), s.t.x());
    double umin = std::numeric_limits<double>::infinity(), umax = -umin, vmin = umin, vmax = -umin;
    for (const QPointF c : {view.topLeft(), view.topRight(), view.bottomLeft(), view.bottomRight()}) {
        const QPointF d = c - s.a;
        const double u = QPointF::dotProduct(d, s.t), v = QPointF::dotProduct(d, n);
        umin = std::min(umin, u);
        umax = std::max(umax, u);
        vmin = std::min(vmin, v);
        vmax = std::max(vmax, v);
    }
    if (!(vmax >= -r && vmin <= r))
        return false;
    lo = std::max(0.0, umin - extend);
    hi = std::min(s.len, umax + extend);
    // Far from the origin rounding can widen the spread of the corners; the
    // true spread is never more than the view's diagonal.
    const double spread = std::hypot(view.width(), view.height()) + 2 * extend;
    if (hi - lo > spread)
        hi = lo + spread;
    return lo <= hi;
}

void Flush(QPainterPath& out, std::vector<QPointF>& line)
{
    if (line.size() >= 2) {
        out.moveTo(line[0]);
        for (size_t i = 1; i < line.size(); ++i)
            out.lineTo(line[i]);
    }
    line.clear();
}

struct Inking {
    InkPattern p;
    bool solid() const { return !(p.period > 0); }
    bool at(double phase) const { return solid() || phase < p.on; }
    double advance(double phase, double len) const
    {
        return solid() ? 0 : PositiveMod(phase + len, p.period);
    }

    void intervals(double phase, double lo, double hi, std::vector<Interval>& out) const
    {
        out.clear();
        if (solid()) {
            if (hi > lo)
                out.push_back({lo, hi});
            return;
        }
        const double start = lo - PositiveMod(phase + lo, p.period);
        const double count = std::ceil((hi - start) / p.period);
        for (long k = 0; k <= static_cast<long>(count); ++k) {
            const double a = std::max(start + k * p.period, lo);
            const double b = std::min(start + k * p.period + p.on, hi);
            if (b > a)
                out.push_back({a, b});
        }
    }
};

void AddFigure(QPainterPath& out, const std::vector<Seg>& segs, bool closed, double r, const QRectF& view,
               const Inking& ink)
{
    const size_t n = segs.size();
    std::vector<double> phases(n);
    double phase = ink.solid() ? 0 : PositiveMod(ink.p.offset, ink.p.period);
    for (size_t i = 0; i < n; ++i) {
        phases[i] = phase;
        phase = ink.advance(phase, segs[i].len);
    }
    auto near = [&](QPointF v) { return DistanceToRect(v, view) <= r; };

    std::vector<QPointF> line;
    std::vector<Interval> spans;
    bool atVertex = false; // the open line ends at the end of the previous segment
    for (size_t i = 0; i < n; ++i) {
        const Seg& s = segs[i];
        double lo = 0, hi = -1;
        if (VisibleRange(s, r, 0, view, lo, hi))
            ink.intervals(phases[i], lo, hi, spans);
        else
            spans.clear();
        const bool startsAtVertex = !spans.empty() && spans[0].a == 0;
        if (atVertex && !startsAtVertex) {
            if (ink.at(phases[i]) && near(s.a))
                line.push_back(s.a + s.t * kStub);
            Flush(out, line);
            atVertex = false;
        }
        for (const Interval& span : spans) {
            if (span.a == 0 && atVertex) {
                line.push_back(PointOn(s, span.b));
            } else {
                Flush(out, line);
                // Ink that starts at a corner owns the corner, also where the
                // previous segment ends in a gap (a dash that begins exactly
                // on the corner, the start of a loop): the stub makes the
                // corner a join, so its outer arc is drawn.
                const bool hasPrev = i > 0 || closed;
                if (span.a == 0 && hasPrev && near(s.a)) {
                    const Seg& prev = i > 0 ? segs[i - 1] : segs[n - 1];
                    line = {s.a - prev.t * kStub, s.a, PointOn(s, span.b)};
                } else {
                    line = {PointOn(s, span.a), PointOn(s, span.b)};
                }
            }
            atVertex = span.b == s.len;
            if (!atVertex)
                Flush(out, line);
        }
    }
    if (atVertex && closed && ink.at(phases[0]) && near(segs[0].a))
        line.push_back(segs[0].a + segs[0].t * kStub);
    Flush(out, line);
}

struct Step {
    QPointF t; // unit direction
    double len = 0;
};

// Round corners are drawn as chords no further than this inside the arc.
constexpr double kArcTolerance = 0.05;

// The largest angle whose chord stays within the tolerance of an arc of this
// radius: 2 acos(1 - t / r), a little less for small t / r, where
// acos(1 - x) is just above sqrt(2x).
double ArcStep(double radius)
{
    const double x = kArcTolerance / radius;
    return x >= 1 ? M_PI / 2 : std::min(M_PI / 2, 2 * std::sqrt(2 * x));
}

// One side of a band outline: the offset curve at signed distance v.
struct Chain {
    double v;
    // Where a sharp inner corner is cut through: the centre line for a band
    // across it, else the band's edge nearer to it. The two pieces then still
    // meet inside the band without reaching across the part it leaves out.
    double pivot;
    double arcStep;
};

// The offset curve round the corner p between the steps a and b.
void AppendCorner(std::vector<QPointF>& out, QPointF p, const Step& a, const Step& b, const Chain& chain)
{
    const double v = chain.v;
    const QPointF n1(-a.t.y(), a.t.x()), n2(-b.t.y(), b.t.x());
    const double cross = a.t.x() * b.t.y() - a.t.y() * b.t.x();
    const double dot = QPointF::dotProduct(a.t, b.t);
    if (v * cross > 0) {
        // Inner side: the offset edges overlap. Where both are long enough
        // their crossing point is the exact outline (tan of half the turn is
        // cross / (1 + dot)); otherwise going through the pivot keeps every
        // covered point covered.
        const double cut = 1 + dot > 1e-9 ? std::abs(v * cross) / (1 + dot) : HUGE_VAL;
        if (cut <= a.len / 2 && cut <= b.len / 2) {
            out.push_back(p + n1 * v - a.t * cut);
        } else {
            out.push_back(p + n1 * v);
            out.push_back(p + n1 * chain.pivot);
            out.push_back(p + n2 * chain.pivot);
            out.push_back(p + n2 * v);
        }
        return;
    }
    // Outer side: an arc about p. A full reversal turns round the front.
    const double turn = cross == 0 && dot < 0 ? (v > 0 ? -M_PI : M_PI) : std::atan2(cross, dot);
    QPointF r = n1 * v;
    out.push_back(p + r);
    const int steps = static_cast<int>(std::ceil(std::abs(turn) / chain.arcStep));
    const double c = std::cos(turn / steps), s = std::sin(turn / steps);
    for (int j = 1; j < steps; ++j) {
        r = QPointF(r.x() * c - r.y() * s, r.x() * s + r.y() * c);
        out.push_back(p + r);
    }
    if (steps > 0)
        out.push_back(p + n2 * v);
}

void AppendOffsetChain(std::vector<QPointF>& out, const std::vector<QPointF>& p,
                       const std::vector<Step>& steps, const Chain& chain)
{
    const auto normal = [](const Step& s) { return QPointF(-s.t.y(), s.t.x()); };
    out.push_back(p.front() + normal(steps.front()) * chain.v);
    for (size_t k = 1; k < steps.size(); ++k)
        AppendCorner(out, p[k], steps[k - 1], steps[k], chain);
    out.push_back(p.back() + normal(steps.back()) * chain.v);
}

} // namespace

std::vector<QPointF> BandOutline(const std::vector<QPointF>& polyline, double lo, double hi)
{
    std::vector<QPointF> p;
    std::vector<Step> steps;
    p.reserve(polyline.size());
    steps.reserve(polyline.size());
    for (const QPointF& q : polyline) {
        if (!p.empty()) {
            const QPointF d = q - p.back();
            // Pieces lie near the canvas, far from where squaring overflows.
            const double len = std::sqrt(d.x() * d.x() + d.y() * d.y());
            if (!(len > 0) || !std::isfinite(len))
                continue; // a repeated point has no direction
            steps.push_back({d / len, len});
        }
        p.push_back(q);
    }
    if (steps.empty())
        return {};
    const double pivot = lo > 0 ? lo : hi < 0 ? hi : 0;
    std::vector<QPointF> outline, low;
    AppendOffsetChain(outline, p, steps, {hi, pivot, ArcStep(std::abs(hi))});
    AppendOffsetChain(low, p, steps, {lo, pivot, ArcStep(std::abs(lo))});
    outline.insert(outline.end(), low.rbegin(), low.rend());
    return outline;
}

bool ReachOfSegment(QPointF a, QPointF b, double r, double extend, const QRectF& view, double& lo, double& hi)
{
    const double len = std::hypot(b.x() - a.x(), b.y() - a.y());
    if (!(len > 0) || !std::isfinite(len))
        return false;
    const Seg s{a, b, (b - a) / len, len};
    return VisibleRange(s, r, extend, view, lo, hi);
}

double PositiveMod(double x, double m)
{
    double r = std::fmod(x, m);
    if (r < 0)
        r += m;
    if (!(r < m)) // rounding of a tiny negative remainder, or NaN
        r = 0;
    return r;
}

double DistanceToRect(QPointF p, const QRectF& rect)
{
    const double dx = std::max({rect.left() - p.x(), 0.0, p.x() - rect.right()});
    const double dy = std::max({rect.top() - p.y(), 0.0, p.y() - rect.bottom()});
    return std::hypot(dx, dy);
}

bool ClipSegment(QPointF& a, QPointF& b, const QRectF& rect)
{
    double t0 = 0, t1 = 1;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - rect.left(), rect.right() - a.x(), a.y() - rect.top(),
                         rect.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (!(t0 <= t1))
        return false;
    const QPointF a0 = a, d(dx, dy);
    a = a0 + d * t0;
    b = a0 + d * t1;
    return std::isfinite(a.x()) && std::isfinite(a.y()) && std::isfinite(b.x()) && std::isfinite(b.y());
}

QPainterPath InkedCentreLines(const std::vector<Figure>& figures, double r, const QRectF& view,
                              const InkPattern& pattern)
{
    QPainterPath out;
    const Inking ink{pattern};
    for (const Figure& figure : figures) {
        const std::vector<Seg> segs = SegmentsOf(figure);
        if (!segs.empty())
            AddFigure(out, segs, figure.closed, r, view, ink);
    }
    return out;
}

namespace {

// A disc as a polygon whose sides stay within the arc tolerance of its circle.
void AddDisc(QPainterPath& out, QPointF centre, double r)
{
    const int sides = std::max(8, static_cast<int>(std::ceil(2 * M_PI / ArcStep(r))));
    out.moveTo(centre + QPointF(r, 0));
    for (int i = 1; i < sides; ++i)
        out.lineTo(centre + r * QPointF(std::cos(2 * M_PI * i / sides), std::sin(2 * M_PI * i / sides)));
    out.closeSubpath();
}

} // namespace

QPainterPath DotDiscs(const std::vector<Figure>& figures, double r, double spacing, double offset,
                      const QRectF& view)
{
    QPainterPath out;
    out.setFillRule(Qt::WindingFill);
    for (const Figure& figure : figures) {
        double phase = PositiveMod(offset, spacing);
        for (const Seg& s : SegmentsOf(figure)) {
            double lo = 0, hi = -1;
            if (VisibleRange(s, r, r, view, lo, hi)) {
                const double base = PositiveMod(phase + lo, spacing);
                const double first = base == 0 ? lo : lo + (spacing - base);
                const double count = std::floor((hi - first) / spacing);
                for (long k = 0; k <= static_cast<long>(count); ++k) {
                    const double u = std::min(first + k * spacing, s.len);
                    AddDisc(out, PointOn(s, u), r);
                }
            }
            phase = PositiveMod(phase + s.len, spacing);
        }
    }
    return out;
}

} // namespace velmora
