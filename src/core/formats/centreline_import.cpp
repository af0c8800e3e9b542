#include "core/formats/centreline_import.h"

#include "core/formats/field_text.h"
#include "core/formats/number_text.h"
#include "core/settings/settings.h"
#include "core/track/click_track.h"
#include "core/track/rounding.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr std::string_view kColumns[] = {"x_m", "y_m", "w_tr_right_m", "w_tr_left_m"};

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

// A plain decimal number filling the whole field: no "nan", "inf", hex or
// trailing text, and finite.
Result<double> ReadField(std::string_view field, std::size_t column, std::size_t line)
{
    const DecimalScan scan = ScanDecimal(field);
    if (scan.length == 0 || scan.length != field.size())
        return Fail(AtLine(line) + std::string(kColumns[column]) + " is not a number: " + QuotedField(field));
    if (!std::isfinite(scan.value))
        return Fail(AtLine(line) + std::string(kColumns[column]) + " is too large: " + QuotedField(field));
    return scan.value;
}

Result<CentrelineRow> ReadRow(std::string_view text, std::size_t line)
{
    double values[4] = {0, 0, 0, 0};
    std::size_t count = 0;
    while (count < 4) {
        const std::size_t comma = text.find(',');
        const Result<double> value = ReadField(TrimBlanks(text.substr(0, comma)), count, line);
        if (!value)
            return Fail(value.error());
        values[count++] = *value;
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    if (count < 2)
        return Fail(AtLine(line) + "needs x_m and y_m separated by a comma");
    return CentrelineRow{values[0], values[1], values[2], values[3], count == 4, line};
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
        return Fail("the file has no track widths (w_tr_right_m, w_tr_left_m) to take the track width from");
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

} // namespace

Result<std::vector<CentrelineRow>> ReadCentrelineRows(std::string_view bytes)
{
    std::vector<CentrelineRow> rows;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    std::size_t line = 0;
    while (!bytes.empty()) {
        ++line;
        // Lines end in LF, CR LF or a lone CR (old spreadsheet exports).
        const std::size_t end = bytes.find_first_of("\r\n");
        const std::string_view text = TrimBlanks(bytes.substr(0, end));
        const bool pair = end != std::string_view::npos && bytes.substr(end, 2) == "\r\n";
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + (pair ? 2 : 1));
        if (text.empty() || text.front() == '#')
            continue;
        if (rows.size() == kMaxCentrelineImportRows)
            return Fail(AtLine(line) + "more than " + std::to_string(kMaxCentrelineImportRows) + " points");
        const Result<CentrelineRow> row = ReadRow(text, line);
        if (!row)
            return Fail(row.error());
        rows.push_back(*row);
    }
    return rows;
}

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
    if (rows.empty())
        return Fail("the file holds no points");
    const int distinct = DistinctPoints(rows);
    if (distinct < 3)
        return Fail(distinct == 1 ? "all points are the same" : "fewer than 3 distinct points");
    const Extent e = ExtentOf(rows);
    if (!std::isfinite(e.Width()) || !std::isfinite(e.Height()))
        return Fail("the points lie too far apart for any canvas");
    const double s = o.metresPerPixel > 0 ? o.metresPerPixel
                                          : FitScale(e.Width(), e.Height(), o.canvasWidth, o.canvasHeight);
    if (!(s > 0) || !std::isfinite(s))
        return Fail("the points lie too close together to scale to the canvas");
    double trackWidth = o.trackWidth;
    if (o.trackWidthFromFile) {
        const Result<double> fromFile = WidthFromFile(rows, s);
        if (!fromFile)
            return Fail(fromFile.error());
        trackWidth = *fromFile;
    }
    if (Status fits = FitsCanvas(e, s, trackWidth, o); !fits)
        return Fail(fits.error());

    const bool closed = !o.open;
    const WorldFrame frame = CentringFrame(e, s, o);
    std::vector<CanvasPoint> source, placed;
    source.reserve(rows.size());
    placed.reserve(rows.size());
    for (const CentrelineRow& r : rows) {
        source.push_back({(r.x - frame.originX) / s, (frame.originY - r.y) / s});
        placed.push_back(Hundredths(source.back()));
    }
    std::vector<CanvasPoint> points;
    std::vector<std::size_t> lines;
    for (const std::size_t k : SimplifyLine(source, placed, closed, kSimplifyTolerance)) {
        if (!points.empty() && placed[k] == points.back())
            continue;
        points.push_back(placed[k]);
        lines.push_back(rows[k].line);
    }
    while (closed && points.size() > 1 && points.back() == points.front()) {
        points.pop_back();
        lines.pop_back();
    }
    const std::size_t fewest = closed ? 3 : 2;
    if (points.size() < fewest)
        return Fail("at " + ScaleText(s) + " the circuit shrinks to fewer than " + std::to_string(fewest) +
                    " distinct points");

    Settings editor;
    editor.AngleLimit = o.angleLimit;
    ClickedTrack clicked = ClickTrack(points, closed, editor);
    if (!clicked.ok())
        return Fail(TurnRefused(clicked, lines, o.angleLimit));
    clicked.model.PointerX = clicked.model.PointerY = 0;
    ImportedCentreline out;
    out.model = std::move(clicked.model);
    out.frame = frame;
    out.trackWidth = trackWidth;
    out.sourceLine = std::move(source);
    return out;
}

} // namespace velmora
