#include "core/inputs/centreline_import.h"

#include "core/formats/field_text.h"
#include "core/formats/number_text.h"
#include "core/settings/settings.h"
#include "core/track/click_track.h"
#include "core/track/rounding.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// Points are placed to the hundredth of a pixel, and those that move the
// line by less than this are left out: together well inside a tenth of a
// pixel of the file's line, so no false corner appears where a race-line
// optimiser would notice it.
constexpr double kSimplifyTolerance = 0.05;
constexpr double kHundredths = 100;

// What the picture draws beyond the surface on each side: the kerb, 3 px. A
// circuit fits when its kerbs and the rounding of its points do.
constexpr double kKerbOverhang = 3;

std::string AtLine(std::size_t line)
{
    return "line " + std::to_string(line) + ": ";
}

struct Extent {
    double minX = HUGE_VAL, maxX = -HUGE_VAL, minY = HUGE_VAL, maxY = -HUGE_VAL;
    double Width() const { return maxX - minX; }
    double Height() const { return maxY - minY; }
};

Extent ExtentOf(const std::vector<CentrelineRow>& rows)
{
    Extent e;
    for (const CentrelineRow& r : rows) {
        e.minX = std::min(e.minX, r.x);
        e.maxX = std::max(e.maxX, r.x);
        e.minY = std::min(e.minY, r.y);
        e.maxY = std::max(e.maxY, r.y);
    }
    return e;
}

// How many different points there are, counting no further than 3.
int DistinctPoints(const std::vector<CentrelineRow>& rows)
{
    const auto same = [](const CentrelineRow& a, const CentrelineRow& b) { return a.x == b.x && a.y == b.y; };
    const CentrelineRow* second = nullptr;
    for (const CentrelineRow& r : rows) {
        if (same(r, rows.front()))
            continue;
        if (!second)
            second = &r;
        else if (!same(r, *second))
            return 3;
    }
    return second ? 2 : 1;
}

std::string ScaleText(double metresPerPixel)
{
    return FormatShortest(metresPerPixel) + " m per pixel";
}

// The median of w_tr_right_m + w_tr_left_m, in whole pixels.
Result<double> WidthFromFile(const std::vector<CentrelineRow>& rows, double metresPerPixel)
{
    std::vector<double> sums;
    for (const CentrelineRow& r : rows)
        if (r.hasWidths)
            sums.push_back(r.widthRight + r.widthLeft);
    if (sums.empty())
        return Fail("the file has no track widths (w_tr_right_m, w_tr_left_m): give the track width "
                    "(8 m, say)");
    const std::size_t mid = sums.size() / 2;
    std::nth_element(sums.begin(), sums.begin() + long(mid), sums.end());
    double median = sums[mid];
    if (sums.size() % 2 == 0)
        median = median / 2 + *std::max_element(sums.begin(), sums.begin() + long(mid)) / 2;
    const double width = RoundHalfEven(median / metresPerPixel);
    if (!(width >= 1 && width <= kMaxCanvasSide))
        return Fail("the track widths in the file make the track " + FormatShortest(width) +
                    " pixels wide at " + ScaleText(metresPerPixel));
    return width;
}

Status FitsCanvas(const Extent& e, double metresPerPixel, double trackWidth, const CentrelineImportOptions& o)
{
    const double beyond =
        (std::isfinite(trackWidth) && trackWidth > 0 ? trackWidth : 0) + 2 * kKerbOverhang + 1;
    const double needW = std::ceil(e.Width() / metresPerPixel + beyond);
    const double needH = std::ceil(e.Height() / metresPerPixel + beyond);
    if (needW <= o.canvasWidth && needH <= o.canvasHeight)
        return {};
    const std::string at = "at " + ScaleText(metresPerPixel);
    if (!(needW < 1e9 && needH < 1e9))
        return Fail(at + " the circuit spans more than a billion pixels; no canvas holds it");
    const std::string need = FormatShortest(needW) + " x " + FormatShortest(needH);
    if (needW > kMaxCanvasSide || needH > kMaxCanvasSide)
        return Fail(at + " the circuit needs a canvas of " + need +
                    " pixels, more than the largest canvas (" + std::to_string(kMaxCanvasSide) + " x " +
                    std::to_string(kMaxCanvasSide) + ")");
    return Fail(at + " the circuit needs a canvas of at least " + need + " pixels; the canvas is " +
                std::to_string(o.canvasWidth) + " x " + std::to_string(o.canvasHeight));
}

// The origin rounded so that it prints short (a tenth of a metre, finer
// only at scales under 0.1 m per pixel): moving the circuit by less than
// half a pixel from the middle of the canvas, which the fit allows for.
double PrintableOrigin(double v, double metresPerPixel)
{
    const double places = std::max(1.0, -std::floor(std::log10(metresPerPixel)));
    const double unit = std::pow(10.0, places);
    const double rounded = RoundHalfEven(v * unit) / unit;
    return std::isfinite(rounded) ? rounded : v;
}

// The frame that centres the circuit on the canvas while every point keeps
// its own coordinates.
WorldFrame CentringFrame(const Extent& e, double s, const CentrelineImportOptions& o)
{
    WorldFrame f;
    f.metresPerPixel = s;
    f.originX = PrintableOrigin((e.minX / 2 + e.maxX / 2) - o.canvasWidth / 2.0 * s, s);
    f.originY = PrintableOrigin((e.minY / 2 + e.maxY / 2) + o.canvasHeight / 2.0 * s, s);
    return f;
}

CanvasPoint Hundredths(CanvasPoint p)
{
    return {RoundHalfEven(p.x * kHundredths) / kHundredths, RoundHalfEven(p.y * kHundredths) / kHundredths};
}

std::string TurnRefused(const ClickedTrack& c, const std::vector<std::size_t>& lines, std::int32_t limit)
{
    const std::string turn = std::to_string(std::abs(c.turn)), limitText = std::to_string(limit);
    if (c.firstStretch)
        return AtLine(lines[1]) +
               "the editor refuses the first stretch towards this point with the angle limit of " +
               limitText + " (it measures the first turn, " + turn +
               " degrees, from the canvas's top-left corner)";
    return AtLine(lines[c.corner]) + "the track turns " + turn +
           " degrees here, more than the angle limit of " + limitText;
}

std::string MetresText(double metres)
{
    return metres >= 1000 ? FormatShortest(RoundHalfEven(metres / 100) / 10) + " km"
                          : FormatShortest(RoundHalfEven(metres * 100) / 100) + " m";
}

// The points as a circuit: enough of them, and spanning what a circuit in
// metres spans. A file in millimetres, or with its numbers misread, is
// refused here rather than drawn at an absurd scale.
Result<Extent> CheckPoints(const std::vector<CentrelineRow>& rows)
{
    if (rows.empty())
        return Fail("the file holds no points");
    const int distinct = DistinctPoints(rows);
    if (distinct < 3)
        return Fail(distinct == 1 ? "all points are the same" : "fewer than 3 distinct points");
    const Extent e = ExtentOf(rows);
    if (!std::isfinite(e.Width()) || !std::isfinite(e.Height()))
        return Fail("the points lie too far apart for any canvas");
    const double span = std::max(e.Width(), e.Height());
    if (span < kSmallestCircuit || span > kLargestCircuit)
        return Fail("the points span " +
                    (span > 1e9 ? std::string("more than a million km") : MetresText(span)) +
                    ", and a circuit in metres spans " + MetresText(kSmallestCircuit) + " to " +
                    MetresText(kLargestCircuit) + ": are the numbers metres, written with a decimal point?");
    return e;
}

// The track width in pixels: given, or the median of the file's. A track
// wider than the circuit is a sign of columns read in the wrong places.
Result<double> TrackWidthFor(const std::vector<CentrelineRow>& rows, const Extent& e, double s,
                             const CentrelineImportOptions& o)
{
    if (!o.trackWidthFromFile && !(o.trackWidthMetres > 0))
        return o.trackWidth;
    const Result<double> width =
        o.trackWidthFromFile ? WidthFromFile(rows, s) : Result<double>(o.trackWidthMetres / s);
    if (!width)
        return width;
    const double span = std::max(e.Width(), e.Height());
    if (*width * s > span)
        return Fail(o.trackWidthFromFile
                        ? "the widths in the file make the track " + MetresText(*width * s) +
                              " wide on a circuit " + MetresText(span) +
                              " across: are the columns in their places?"
                        : "a track " + MetresText(*width * s) + " wide does not fit a circuit " +
                              MetresText(span) + " across");
    return width;
}

// The file's rows on the canvas, and the points the track is clicked at:
// to the hundredth of a pixel, those that change the line by less than the
// tolerance left out, never two equal in a row.
struct PlacedLine {
    std::vector<CanvasPoint> source;
    std::vector<CanvasPoint> points;
    std::vector<std::size_t> lines; // of each point in the file
};

Result<PlacedLine> PlaceOnCanvas(const std::vector<CentrelineRow>& rows, const WorldFrame& frame, bool closed)
{
    const double s = frame.metresPerPixel;
    PlacedLine out;
    std::vector<CanvasPoint> placed;
    out.source.reserve(rows.size());
    placed.reserve(rows.size());
    for (const CentrelineRow& r : rows) {
        out.source.push_back({frame.CanvasX(r.x), frame.CanvasY(r.y)});
        placed.push_back(Hundredths(out.source.back()));
    }
    for (const std::size_t k : SimplifyLine(out.source, placed, closed, kSimplifyTolerance)) {
        if (!out.points.empty() && placed[k] == out.points.back())
            continue;
        out.points.push_back(placed[k]);
        out.lines.push_back(rows[k].line);
    }
    while (closed && out.points.size() > 1 && out.points.back() == out.points.front()) {
        out.points.pop_back();
        out.lines.pop_back();
    }
    const std::size_t fewest = closed ? 3 : 2;
    if (out.points.size() < fewest)
        return Fail("at " + ScaleText(s) + " the circuit shrinks to fewer than " + std::to_string(fewest) +
                    " distinct points");
    return out;
}

SourceEdges EdgesOf(const std::vector<CentrelineRow>& rows, bool closed)
{
    SourceEdges out;
    out.closed = closed;
    if (!std::all_of(rows.begin(), rows.end(), [](const CentrelineRow& r) { return r.hasWidths; }))
        return out;
    for (const CentrelineRow& r : rows) {
        out.centre.push_back({r.x, r.y});
        out.widthRight.push_back(r.widthRight);
        out.widthLeft.push_back(r.widthLeft);
    }
    return out;
}

} // namespace

double FitScale(double extentX, double extentY, int canvasWidth, int canvasHeight)
{
    const double margin = 0.05 * std::min(canvasWidth, canvasHeight);
    const double s = std::max(extentX / (canvasWidth - 2 * margin), extentY / (canvasHeight - 2 * margin));
    if (!(s >= 1e-290) || !std::isfinite(s))
        return 0;
    // Three significant digits read well and type again easily; rounding up
    // only widens the margin. The hair below 1 keeps 0.343, which times 1000
    // is a rounding error above 343, from going up to 0.344.
    const int e = static_cast<int>(std::floor(std::log10(s))) - 2;
    const double unit = std::pow(10.0, std::abs(e));
    const double digits = std::ceil((e < 0 ? s * unit : s / unit) * (1 - 1e-12));
    const double rounded = e < 0 ? digits / unit : digits * unit;
    return std::isfinite(rounded) ? rounded : 0;
}

Result<ImportedCentreline> ImportCentreline(const std::vector<CentrelineRow>& rows,
                                            const CentrelineImportOptions& o)
{
    const Result<Extent> extent = CheckPoints(rows);
    if (!extent)
        return Fail(extent.error());
    const double s = o.metresPerPixel > 0
                         ? o.metresPerPixel
                         : FitScale(extent->Width(), extent->Height(), o.canvasWidth, o.canvasHeight);
    if (!(s > 0) || !std::isfinite(s))
        return Fail("the points lie too close together to scale to the canvas");
    const Result<double> trackWidth = TrackWidthFor(rows, *extent, s, o);
    if (!trackWidth)
        return Fail(trackWidth.error());
    if (Status fits = FitsCanvas(*extent, s, *trackWidth, o); !fits)
        return Fail(fits.error());
    const WorldFrame frame = CentringFrame(*extent, s, o);
    Result<PlacedLine> placed = PlaceOnCanvas(rows, frame, !o.open);
    if (!placed)
        return Fail(placed.error());
    Settings editor;
    editor.AngleLimit = o.angleLimit;
    ClickedTrack clicked = ClickTrack(placed->points, !o.open, editor);
    if (!clicked.ok())
        return Fail(TurnRefused(clicked, placed->lines, o.angleLimit));
    clicked.model.PointerX = clicked.model.PointerY = 0;
    ImportedCentreline out;
    out.model = std::move(clicked.model);
    out.frame = frame;
    out.trackWidth = *trackWidth;
    out.sourceLine = std::move(placed->source);
    out.sourceEdges = EdgesOf(rows, !o.open);
    return out;
}

} // namespace velmora
