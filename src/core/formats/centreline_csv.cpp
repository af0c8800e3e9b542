#include "core/formats/centreline_csv.h"

#include <cmath>
#include <cstdio>

#include "core/track/path.h"

namespace velmora {

namespace {

// Up to six decimals without trailing zeros; never "-0".
std::string Metres(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    std::string s = buf;
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.')
            s.pop_back();
    }
    if (s == "-0")
        s = "0";
    return s;
}

bool EndsClosed(const std::vector<PathFigure>& figures)
{
    return !figures.empty() && figures.back().closed;
}

}  // namespace

CentrelineResult CentrelineCsv(std::string_view trackPath, double markerGap, double trackWidth,
                               double metresPerPixel)
{
    CentrelineResult r;
    if (!(markerGap > 0)) {
        r.error = "the marker gap must be greater than 0";
        return r;
    }
    if (!std::isfinite(trackWidth) || !std::isfinite(metresPerPixel) || !(metresPerPixel > 0)) {
        r.error = "the track width and the scale must be finite numbers, the scale greater than 0";
        return r;
    }
    const std::vector<PathFigure> figures = ParsePathText(trackPath);
    const PathMeasure measure(figures);
    const double length = measure.TotalLength();
    if (!measure.HasSegments() || !(length > 0)) {
        r.error = "the track has no stretch to sample";
        return r;
    }
    if (!std::isfinite(length) || length / markerGap > static_cast<double>(kMaxCentrelineRows)) {
        r.error = "the track would need more than 1000000 samples at this marker gap";
        return r;
    }

    const std::string halfWidth = Metres(trackWidth / 2 * metresPerPixel);
    const auto row = [&](const PathSample& p) {
        r.text += Metres(p.x * metresPerPixel) + ',' + Metres(-p.y * metresPerPixel) + ',' + halfWidth + ',' +
                  halfWidth + '\n';
    };
    r.text = "# x_m,y_m,w_tr_right_m,w_tr_left_m\n";
    long long k = 0;
    for (double d = 0; d < length; d = static_cast<double>(++k) * markerGap)
        row(measure.At(d));
    if (!EndsClosed(figures))
        row(measure.At(length));
    r.ok = true;
    return r;
}

}  // namespace velmora
