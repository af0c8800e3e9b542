#include "core/formats/centreline_import.h"

#include "core/formats/number_text.h"
#include "core/settings/settings.h"
#include "core/track/editor.h"
#include "core/track/rounding.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr std::string_view kColumns[] = {"x_m", "y_m", "w_tr_right_m", "w_tr_left_m"};

// Points that move the line by less than this are left out. With the half
// pixel a click's rounding may add, the track stays within a pixel of the
// file's line.
constexpr double kSimplifyTolerance = 0.5;

// What the picture draws beyond the surface on each side: the kerb, 3 px. A
// circuit fits when its kerbs and the rounding of its points do.
constexpr double kKerbOverhang = 3;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A field as the message quotes it: one line of plain ASCII, not too long.
std::string Quoted(std::string_view field)
{
    constexpr std::size_t kLongest = 40;
    std::string out = "\"";
    for (std::size_t i = 0; i < field.size() && i < kLongest; ++i) {
        const auto c = static_cast<unsigned char>(field[i]);
        out += c < 0x20 || c >= 0x7F ? '?' : static_cast<char>(c);
    }
    if (field.size() > kLongest)
        out += "...";
    return out + '"';
}

std::string AtLine(std::size_t line)
{
    return "line " + std::to_string(line) + ": ";
}

// A plain decimal number filling the whole field: no "nan", "inf", hex or
// trailing text, and finite.
bool ReadField(std::string_view field, std::size_t column, std::size_t line, double& value,
               std::string& error)
{
    const DecimalScan scan = ScanDecimal(field);
    if (scan.length == 0 || scan.length != field.size()) {
        error = AtLine(line) + std::string(kColumns[column]) + " is not a number: " + Quoted(field);
        return false;
    }
    if (!std::isfinite(scan.value)) {
        error = AtLine(line) + std::string(kColumns[column]) + " is too large: " + Quoted(field);
        return false;
    }
    value = scan.value;
    return true;
}

bool ReadRow(std::string_view text, std::size_t line, CentrelineRow& row, std::string& error)
{
    double values[4] = {0, 0, 0, 0};
    std::size_t count = 0;
    while (count < 4) {
        const std::size_t comma = text.find(',');
        if (!ReadField(Trim(text.substr(0, comma)), count, line, values[count], error))
            return false;
        ++count;
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    if (count < 2) {
        error = AtLine(line) + "needs x_m and y_m separated by a comma";
        return false;
    }
    row = {values[0], values[1], values[2], values[3], count == 4, line};
    return true;
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
bool WidthFromFile(const std::vector<CentrelineRow>& rows, double metresPerPixel, double& width,
                   std::string& error)
{
    std::vector<double> sums;
    for (const CentrelineRow& r : rows)
        if (r.hasWidths)
            sums.push_back(r.widthRight + r.widthLeft);
    if (sums.empty()) {
        error = "the file has no track widths (w_tr_right_m, w_tr_left_m) to take the track width from";
        return false;
    }
    const std::size_t mid = sums.size() / 2;
    std::nth_element(sums.begin(), sums.begin() + long(mid), sums.end());
    double median = sums[mid];
    if (sums.size() % 2 == 0)
        median = median / 2 + *std::max_element(sums.begin(), sums.begin() + long(mid)) / 2;
    width = RoundHalfEven(median / metresPerPixel);
    if (!(width >= 1 && width <= kMaxCanvasSide)) {
        error = "the track widths in the file make the track " + FormatShortest(width) + " pixels wide at " +
                ScaleText(metresPerPixel);
        return false;
    }
    return true;
}

bool FitsCanvas(const Extent& e, double metresPerPixel, double trackWidth, const CentrelineImportOptions& o,
                std::string& error)
{
    const double beyond =
        (std::isfinite(trackWidth) && trackWidth > 0 ? trackWidth : 0) + 2 * kKerbOverhang + 1;
    const double needW = std::ceil(e.Width() / metresPerPixel + beyond);
    const double needH = std::ceil(e.Height() / metresPerPixel + beyond);
    if (needW <= o.canvasWidth && needH <= o.canvasHeight)
        return true;
    const std::string at = "at " + ScaleText(metresPerPixel);
    if (!(needW < 1e9 && needH < 1e9)) {
        error = at + " the circuit spans more than a billion pixels; no canvas holds it";
        return false;
    }
    const std::string need = FormatShortest(needW) + " x " + FormatShortest(needH);
    if (needW > kMaxCanvasSide || needH > kMaxCanvasSide)
        error = at + " the circuit needs a canvas of " + need + " pixels, more than the largest canvas (" +
                std::to_string(kMaxCanvasSide) + " x " + std::to_string(kMaxCanvasSide) + ")";
    else
        error = at + " the circuit needs a canvas of at least " + need + " pixels; the canvas is " +
                std::to_string(o.canvasWidth) + " x " + std::to_string(o.canvasHeight);
    return false;
}

// The signed turn in whole degrees that the editor's readout shows when the
// track ends at `at`, coming from `prev`, and the pointer is on `next`.
int TurnAt(CanvasPoint prev, CanvasPoint at, CanvasPoint next)
{
    TrackModel m;
    m.cursor.x = at.x;
    m.cursor.y = at.y;
    m.cursor.angle =
        std::atan2(at.y - prev.y + 0.0, at.x - prev.x) * 57.29577951308232 * 0.017453292519943295;
    m.PointerX = static_cast<std::int32_t>(next.x);
    m.PointerY = static_cast<std::int32_t>(next.y);
    return ComputeReadout(m).t;
}

bool TurnsWithinLimit(const std::vector<CanvasPoint>& points, const std::vector<std::size_t>& lines,
                      bool closed, std::int32_t limit, std::string& error)
{
    const std::size_t n = points.size();
    for (std::size_t i = closed ? 0 : 1; i < (closed ? n : n - 1); ++i) {
        const int turn = TurnAt(points[(i + n - 1) % n], points[i], points[(i + 1) % n]);
        if (limit < std::abs(turn)) {
            error = AtLine(lines[i]) + "the track turns " + std::to_string(std::abs(turn)) +
                    " degrees here, more than the angle limit of " + std::to_string(limit);
            return false;
        }
    }
    return true;
}

// The track file's model after clicking the points in order (and Close Loop).
TrackModel ClickedTrack(const std::vector<CanvasPoint>& points, bool closed)
{
    const auto x = [](const CanvasPoint& p) { return static_cast<std::int32_t>(p.x); };
    const auto y = [](const CanvasPoint& p) { return static_cast<std::int32_t>(p.y); };
    TrackModel m;
    m.TrackPath = PointCommand('M', x(points[0]), y(points[0]));
    for (std::size_t i = 1; i < points.size(); ++i) {
        if (m.StartAngle == -1) {
            m.PointerX = x(points[i]);
            m.PointerY = y(points[i]);
            m.StartAngle = FirstStretchAngle(m);
        }
        m.TrackPath += PointCommand('L', x(points[i]), y(points[i]));
    }
    if (closed)
        m.TrackPath += 'Z';
    RebuildCursor(m);
    m.PointerX = m.PointerY = 0;
    return m;
}

} // namespace

bool ReadCentrelineRows(std::string_view bytes, std::vector<CentrelineRow>& rows, std::string& error)
{
    rows.clear();
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    std::size_t line = 0;
    while (!bytes.empty()) {
        ++line;
        // Lines end in LF, CR LF or a lone CR (old spreadsheet exports).
        const std::size_t end = bytes.find_first_of("\r\n");
        const std::string_view text = Trim(bytes.substr(0, end));
        const bool pair = end != std::string_view::npos && bytes.substr(end, 2) == "\r\n";
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + (pair ? 2 : 1));
        if (text.empty() || text.front() == '#')
            continue;
        if (rows.size() == kMaxCentrelineImportRows) {
            error = AtLine(line) + "more than " + std::to_string(kMaxCentrelineImportRows) + " points";
            return false;
        }
        CentrelineRow row;
        if (!ReadRow(text, line, row, error))
            return false;
        rows.push_back(row);
    }
    return true;
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

bool ImportCentreline(const std::vector<CentrelineRow>& rows, const CentrelineImportOptions& o,
                      ImportedCentreline& out, std::string& error)
{
    if (rows.empty()) {
        error = "the file holds no points";
        return false;
    }
    const int distinct = DistinctPoints(rows);
    if (distinct < 3) {
        error = distinct == 1 ? "all points are the same" : "fewer than 3 distinct points";
        return false;
    }
    const Extent e = ExtentOf(rows);
    if (!std::isfinite(e.Width()) || !std::isfinite(e.Height())) {
        error = "the points lie too far apart for any canvas";
        return false;
    }
    const double s = o.metresPerPixel > 0 ? o.metresPerPixel
                                          : FitScale(e.Width(), e.Height(), o.canvasWidth, o.canvasHeight);
    if (!(s > 0) || !std::isfinite(s)) {
        error = "the points lie too close together to scale to the canvas";
        return false;
    }
    double trackWidth = o.trackWidth;
    if (o.trackWidthFromFile && !WidthFromFile(rows, s, trackWidth, error))
        return false;
    if (!FitsCanvas(e, s, trackWidth, o, error))
        return false;

    const bool closed = !o.open;
    const double cx = e.minX / 2 + e.maxX / 2, cy = e.minY / 2 + e.maxY / 2;
    std::vector<CanvasPoint> source, clicks;
    source.reserve(rows.size());
    clicks.reserve(rows.size());
    for (const CentrelineRow& r : rows) {
        source.push_back({(r.x - cx) / s + o.canvasWidth / 2.0, (cy - r.y) / s + o.canvasHeight / 2.0});
        clicks.push_back({RoundHalfEven(source.back().x), RoundHalfEven(source.back().y)});
    }
    std::vector<CanvasPoint> points;
    std::vector<std::size_t> lines;
    for (const std::size_t k : SimplifyLine(source, clicks, closed, kSimplifyTolerance)) {
        if (!points.empty() && clicks[k] == points.back())
            continue;
        points.push_back(clicks[k]);
        lines.push_back(rows[k].line);
    }
    while (closed && points.size() > 1 && points.back() == points.front()) {
        points.pop_back();
        lines.pop_back();
    }
    const std::size_t fewest = closed ? 3 : 2;
    if (points.size() < fewest) {
        error = "at " + ScaleText(s) + " the circuit shrinks to fewer than " + std::to_string(fewest) +
                " distinct pixels";
        return false;
    }
    if (!TurnsWithinLimit(points, lines, closed, o.angleLimit, error))
        return false;

    out.model = ClickedTrack(points, closed);
    out.metresPerPixel = s;
    out.trackWidth = trackWidth;
    out.sourceLine = std::move(source);
    return true;
}

} // namespace velmora
