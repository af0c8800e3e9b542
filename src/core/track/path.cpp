#include "core/track/path.h"

#include "core/formats/number_text.h"
#include "core/geometry/angles.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

// Path text follows the SVG path-data grammar. Two decisions beyond it:
// - Reading stops at the first malformed token and everything completed
//   before it is kept; elliptical arcs (A, a) count as malformed.
// - Text that does not begin with a moveto is read as if it began at the
//   origin. Close Loop on an empty track leaves "Z", and the clicks after it
//   take the start as (0, 0); drawing from the origin keeps the picture and
//   the start angle telling the same story.
namespace velmora {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void SkipBlanks()
    {
        while (pos_ < text_.size() && IsBlank(text_[pos_]))
            ++pos_;
    }
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    void Advance() { ++pos_; }

    // True when a number starts here (sign, digit or point followed by a digit).
    bool NumberAhead() const
    {
        std::size_t p = pos_;
        if (p < text_.size() && (text_[p] == '+' || text_[p] == '-'))
            ++p;
        if (p < text_.size() && IsDigit(text_[p]))
            return true;
        return p + 1 < text_.size() && text_[p] == '.' && IsDigit(text_[p + 1]);
    }

    std::optional<float> Number()
    {
        if (!NumberAhead())
            return std::nullopt;
        return ScanNumber();
    }

    // Between two arguments: blanks, at most one comma, blanks.
    void SkipSeparator()
    {
        SkipBlanks();
        if (Peek() == ',') {
            Advance();
            SkipBlanks();
        }
    }

private:
    std::optional<float> ScanNumber()
    {
        const DecimalScan scan = ScanDecimal(text_.substr(pos_));
        pos_ += scan.length;
        const float f = static_cast<float>(scan.value);
        if (!std::isfinite(f))
            return std::nullopt; // a coordinate the drawing layer cannot hold
        return f;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

struct Point2 {
    double x = 0;
    double y = 0;
};

Point2 Lerp(Point2 a, Point2 b, double t)
{
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}
double Distance(Point2 a, Point2 b)
{
    return std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
}

// Flattens cubic Bezier curves into straight pieces. A piece is accepted once
// its control polygon is barely longer than its chord: the true length lies
// between the two, so the sum of chords is within the summed differences of
// the true length. The tolerance scales with the curve, so huge and tiny
// coordinates give the same number of pieces, and the depth is bounded.
// A reflected control point can lie beyond the float range, and so can the
// curve near it; such points are held at the largest float.
float ToFloat(double v)
{
    constexpr double kMax = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(v, -kMax, kMax));
}

class CurveFlattener {
public:
    static constexpr int kMaxDepth = 10;
    static constexpr double kRelativeTolerance = 2.5e-4;

    explicit CurveFlattener(std::vector<PathPoint>& out) : out_(out) {}

    void Cubic(Point2 p0, Point2 p1, Point2 p2, Point2 p3)
    {
        const double polygon = Distance(p0, p1) + Distance(p1, p2) + Distance(p2, p3);
        tolerance_ = polygon * kRelativeTolerance;
        Split(p0, p1, p2, p3, 0);
    }

private:
    void Split(Point2 p0, Point2 p1, Point2 p2, Point2 p3, int depth)
    {
        const double polygon = Distance(p0, p1) + Distance(p1, p2) + Distance(p2, p3);
        const double excess = polygon - Distance(p0, p3);
        if (depth >= kMaxDepth || excess <= std::ldexp(tolerance_, -depth)) {
            out_.push_back({ToFloat(p3.x), ToFloat(p3.y)});
            return;
        }
        const Point2 a = Lerp(p0, p1, 0.5), b = Lerp(p1, p2, 0.5), c = Lerp(p2, p3, 0.5);
        const Point2 d = Lerp(a, b, 0.5), e = Lerp(b, c, 0.5);
        const Point2 mid = Lerp(d, e, 0.5);
        Split(p0, a, d, mid, depth + 1);
        Split(mid, e, c, p3, depth + 1);
    }

    std::vector<PathPoint>& out_;
    double tolerance_ = 0;
};

Point2 ToPoint2(PathPoint p)
{
    return {p.x, p.y};
}

class PathReader {
public:
    explicit PathReader(std::string_view text) : scan_(text) {}

    std::vector<PathFigure> Read()
    {
        scan_.SkipBlanks();
        while (!scan_.AtEnd()) {
            const char command = scan_.Peek();
            scan_.Advance();
            scan_.SkipBlanks();
            if (!ReadCommand(command))
                break;
            scan_.SkipBlanks();
        }
        return std::move(figures_);
    }

private:
    // Reads one command letter's argument groups, repeating while numbers
    // follow. False on anything malformed.
    bool ReadCommand(char command)
    {
        const bool relative = command >= 'a' && command <= 'z';
        const char upper = relative ? static_cast<char>(command - 'a' + 'A') : command;
        if (upper == 'Z') {
            Close();
            lastCommand_ = 'Z';
            return true;
        }
        const int count = ArgumentCount(upper);
        if (count == 0)
            return false;
        for (bool first = true;; first = false) {
            float args[6];
            for (int i = 0; i < count; ++i) {
                if (i > 0)
                    scan_.SkipSeparator();
                const std::optional<float> v = scan_.Number();
                if (!v)
                    return false;
                args[i] = *v;
            }
            // Further pairs after a moveto are line-tos.
            const char effective = (upper == 'M' && !first) ? 'L' : upper;
            if (!Apply(effective, relative, args))
                return false;
            // Another argument group may follow, also after a comma; a comma
            // must then be followed by a number.
            scan_.SkipBlanks();
            if (scan_.Peek() == ',') {
                scan_.SkipSeparator();
                if (!scan_.NumberAhead())
                    return false;
            }
            if (!scan_.NumberAhead())
                return true;
        }
    }

    static int ArgumentCount(char upper)
    {
        switch (upper) {
        case 'M':
        case 'L':
        case 'T':
            return 2;
        case 'H':
        case 'V':
            return 1;
        case 'S':
        case 'Q':
            return 4;
        case 'C':
            return 6;
        default:
            return 0;
        }
    }

    // Turns a coordinate argument into an absolute float; false when the sum
    // of a relative step leaves the float range.
    static bool Absolute(float base, float arg, bool relative, float& out)
    {
        out = relative ? static_cast<float>(static_cast<double>(base) + arg) : arg;
        return std::isfinite(out);
    }

    bool AbsolutePoint(const float* args, bool relative, PathPoint& out) const
    {
        return Absolute(current_.x, args[0], relative, out.x) &&
               Absolute(current_.y, args[1], relative, out.y);
    }

    bool Apply(char upper, bool relative, const float* args)
    {
        PathPoint p[3];
        switch (upper) {
        case 'M':
            if (!AbsolutePoint(args, relative, p[0]))
                return false;
            figures_.push_back({{p[0]}, false});
            current_ = p[0];
            lastCommand_ = 'M';
            return true;
        case 'L':
        case 'T':
            if (!AbsolutePoint(args, relative, p[0]))
                return false;
            break;
        case 'H':
            p[0].y = current_.y;
            if (!Absolute(current_.x, args[0], relative, p[0].x))
                return false;
            break;
        case 'V':
            p[0].x = current_.x;
            if (!Absolute(current_.y, args[0], relative, p[0].y))
                return false;
            break;
        case 'S':
        case 'Q':
            if (!AbsolutePoint(args, relative, p[0]) || !AbsolutePoint(args + 2, relative, p[1]))
                return false;
            break;
        case 'C':
            if (!AbsolutePoint(args, relative, p[0]) || !AbsolutePoint(args + 2, relative, p[1]) ||
                !AbsolutePoint(args + 4, relative, p[2]))
                return false;
            break;
        }
        Draw(upper, p);
        return true;
    }

    void Draw(char upper, const PathPoint* p)
    {
        std::vector<PathPoint>& points = OpenFigure();
        const Point2 from = ToPoint2(current_);
        const bool cubicBefore = lastCommand_ == 'C' || lastCommand_ == 'S';
        const bool quadBefore = lastCommand_ == 'Q' || lastCommand_ == 'T';
        CurveFlattener flatten(points);
        PathPoint end = p[0];
        switch (upper) {
        case 'L':
        case 'H':
        case 'V':
            points.push_back(end);
            break;
        case 'C':
            flatten.Cubic(from, ToPoint2(p[0]), ToPoint2(p[1]), ToPoint2(p[2]));
            control_ = ToPoint2(p[1]);
            end = p[2];
            break;
        case 'S': {
            const Point2 first = cubicBefore ? Reflect(control_, from) : from;
            flatten.Cubic(from, first, ToPoint2(p[0]), ToPoint2(p[1]));
            control_ = ToPoint2(p[0]);
            end = p[1];
            break;
        }
        case 'Q':
            Quadratic(flatten, from, ToPoint2(p[0]), ToPoint2(p[1]));
            control_ = ToPoint2(p[0]);
            end = p[1];
            break;
        case 'T': {
            const Point2 control = quadBefore ? Reflect(control_, from) : from;
            Quadratic(flatten, from, control, ToPoint2(p[0]));
            control_ = control;
            break;
        }
        }
        // The flattened curve ends on a point rounded from doubles; the exact
        // end point is what later relative commands build on.
        if (upper == 'C' || upper == 'S' || upper == 'Q' || upper == 'T')
            points.back() = end;
        current_ = end;
        lastCommand_ = upper;
    }

    static Point2 Reflect(Point2 control, Point2 about)
    {
        return {2 * about.x - control.x, 2 * about.y - control.y};
    }

    static void Quadratic(CurveFlattener& flatten, Point2 p0, Point2 q, Point2 p2)
    {
        // The same curve as a cubic: control points two thirds towards q.
        const Point2 c1 = Lerp(p0, q, 2.0 / 3.0);
        const Point2 c2 = Lerp(p2, q, 2.0 / 3.0);
        flatten.Cubic(p0, c1, c2, p2);
    }

    // The figure that drawing commands extend. After a closepath (or before
    // any moveto) a new figure starts at the current point.
    std::vector<PathPoint>& OpenFigure()
    {
        if (figures_.empty() || figures_.back().closed)
            figures_.push_back({{current_}, false});
        return figures_.back().points;
    }

    void Close()
    {
        OpenFigure();
        figures_.back().closed = true;
        current_ = figures_.back().points.front();
    }

    Scanner scan_;
    std::vector<PathFigure> figures_;
    PathPoint current_;
    Point2 control_;
    char lastCommand_ = '\0';
};

double BearingDegrees(double dx, double dy)
{
    // Adding 0.0 turns a negative zero into +0, keeping a westward segment at
    // +180 rather than -180.
    return Degrees(std::atan2(dy + 0.0, dx));
}

} // namespace

std::vector<PathFigure> ParsePathText(std::string_view text)
{
    return PathReader(text).Read();
}

PathMeasure::PathMeasure(const std::vector<PathFigure>& figures)
{
    auto add = [this](PathPoint a, PathPoint b) {
        const double dx = static_cast<double>(b.x) - a.x;
        const double dy = static_cast<double>(b.y) - a.y;
        Segment seg{a, b, std::sqrt(dx * dx + dy * dy), total_, BearingDegrees(dx, dy)};
        segments_.push_back(seg);
        total_ += seg.length;
    };
    std::size_t count = 0;
    for (const PathFigure& figure : figures)
        count += figure.points.size();
    segments_.reserve(count);
    for (const PathFigure& figure : figures) {
        for (std::size_t i = 1; i < figure.points.size(); ++i)
            add(figure.points[i - 1], figure.points[i]);
        if (figure.closed && !figure.points.empty())
            add(figure.points.back(), figure.points.front());
    }
}

PathMeasure::PathMeasure(std::string_view pathText) : PathMeasure(ParsePathText(pathText)) {}

PathSample PathMeasure::End() const
{
    if (segments_.empty() || !(total_ > 0))
        return At(total_);
    const auto it = std::lower_bound(segments_.begin(), segments_.end(), total_,
                                     [](const Segment& seg, double d) { return seg.start + seg.length < d; });
    const Segment& seg = it == segments_.end() ? segments_.back() : *it;
    return {seg.b.x, seg.b.y, seg.degrees};
}

PathSample PathMeasure::At(double s) const
{
    if (segments_.empty())
        return {};
    if (!(s > 0)) {
        const Segment& first = segments_.front();
        return {first.a.x, first.a.y, first.degrees};
    }
    if (s > total_) {
        const Segment& last = segments_.back();
        return {last.b.x, last.b.y, last.degrees};
    }
    // The first segment whose end reaches s: a distance exactly on a joint
    // stays with the earlier segment, and zero-length segments before s are
    // passed over.
    const auto it = std::lower_bound(segments_.begin(), segments_.end(), s,
                                     [](const Segment& seg, double d) { return seg.start + seg.length < d; });
    const Segment& seg = it == segments_.end() ? segments_.back() : *it;
    const double into = s - seg.start;
    if (into >= seg.length)
        return {seg.b.x, seg.b.y, seg.degrees};
    const double t = into / seg.length;
    const double ax = seg.a.x, ay = seg.a.y;
    return {ax + (seg.b.x - ax) * t, ay + (seg.b.y - ay) * t, seg.degrees};
}

} // namespace velmora
