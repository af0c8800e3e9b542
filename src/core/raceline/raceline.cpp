#include "core/raceline/raceline.h"

#include "core/formats/number_text.h"
#include "core/raceline/speed_profile.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmora {

namespace {

// More rows than this are no use to any simulator and would take
// hundreds of megabytes of text.
constexpr double kMaxRows = 1e6;
// Solves in all, the first included, when rows leave the corridor.
constexpr int kTighteningRounds = 4;
// Arc length of each spline segment is integrated over this many parts.
constexpr int kArcParts = 8;

struct Sampled {
    SampledLine line;
    std::vector<std::size_t> segment; // spline segment of each row
};

Sampled SampleSpline(const CubicSpline& spline, double spacing)
{
    // Gauss-Legendre with 3 nodes per part: exact for the quintic that
    // |r'| of a cubic nearly is.
    static const double kNode[3] = {-0.7745966692414834, 0.0, 0.7745966692414834};
    static const double kWeight[3] = {5.0 / 9, 8.0 / 9, 5.0 / 9};
    const std::size_t segments = spline.Segments();
    std::vector<double> arc(segments * kArcParts + 1, 0.0); // at every part's start
    for (std::size_t i = 0; i < segments; ++i) {
        const double h = spline.chord[i] / kArcParts;
        for (int p = 0; p < kArcParts; ++p) {
            double part = 0;
            for (int q = 0; q < 3; ++q) {
                const SplineSample d = EvaluateSpline(spline, i, h * (p + 0.5 + 0.5 * kNode[q]));
                part += kWeight[q] * std::hypot(d.first.x, d.first.y);
            }
            const std::size_t k = i * kArcParts + static_cast<std::size_t>(p);
            arc[k + 1] = arc[k] + part * h / 2;
        }
    }
    Sampled out;
    out.line.length = arc.back();
    std::vector<double> targets;
    const double total = out.line.length;
    // A row closer than this to the end would repeat the first row of a loop
    // (or stand on the end point of a line).
    const double end = total - spacing * 1e-6;
    for (double k = 0; k * spacing < end; ++k)
        targets.push_back(k * spacing);
    if (!spline.closed)
        targets.push_back(total);
    std::size_t part = 0;
    for (const double s : targets) {
        while (part + 1 < arc.size() - 1 && arc[part + 1] < s)
            ++part;
        const std::size_t i = part / kArcParts;
        const double h = spline.chord[i] / kArcParts;
        const double span = arc[part + 1] - arc[part];
        const double share = span > 0 ? std::clamp((s - arc[part]) / span, 0.0, 1.0) : 0.0;
        const double u = h * (static_cast<double>(part % kArcParts) + share);
        const SplineSample d = EvaluateSpline(spline, i, u);
        RacelineRow row;
        row.s = s;
        row.x = d.position.x;
        row.y = d.position.y;
        row.psi = Heading(d);
        row.kappa = Curvature(d);
        out.line.rows.push_back(row);
        out.segment.push_back(i);
    }
    return out;
}

void AddSpeeds(Raceline& line, const Vehicle& vehicle)
{
    std::vector<double> kappa;
    for (const RacelineRow& row : line.rows)
        kappa.push_back(row.kappa);
    const SpeedProfile profile =
        ComputeSpeedProfile(kappa, RowGaps(line.rows, line.length, line.closed), line.closed, vehicle);
    for (std::size_t i = 0; i < line.rows.size(); ++i) {
        line.rows[i].vx = profile.speed[i];
        line.rows[i].ax = profile.acceleration[i];
    }
    line.lapTime = profile.lapTime;
}

} // namespace

SampledLine SampleLine(const std::vector<WorldPoint>& points, bool closed, double spacing)
{
    if (points.size() < (closed ? 3u : 2u) || !(spacing > 0))
        return {};
    return SampleSpline(FitCubicSpline(points, closed), spacing).line;
}

std::vector<double> RowGaps(const std::vector<RacelineRow>& rows, double length, bool closed)
{
    std::vector<double> gaps;
    for (std::size_t i = 0; i + 1 < rows.size(); ++i)
        gaps.push_back(rows[i + 1].s - rows[i].s);
    if (closed && !rows.empty())
        gaps.push_back(length - rows.back().s);
    return gaps;
}

Result<Raceline> ComputeRaceline(const RacelineInput& input, const Vehicle& vehicle, double spacing,
                                 const CurvatureOptions& options)
{
    if (!std::isfinite(spacing) || spacing <= 0)
        return Fail("the spacing must be a positive number of metres");
    Result<CentreTrack> track = CleanTrack(input);
    if (!track)
        return Fail(track.error());
    if (const Status fit = CheckFit(*track, vehicle); !fit)
        return Fail(fit.error());
    if (track->length / spacing > kMaxRows)
        return Fail("a spacing of " + FormatShortest(spacing) + " m gives too many rows for a " +
                    FormatFixed(track->length, 0) + " m track");

    const double clearance = vehicle.Clearance();
    NarrowWithinReach(*track, clearance);
    std::vector<double> referenceS;
    Corridor corridor = BuildCorridor(*track, clearance, referenceS);
    // Between the reference points the spline can cut past a sharp corner
    // of the corridor's edge (the inside of a kink): narrow the corridor
    // there and solve again from the line found.
    CurvatureOptions solve = options;
    solve.lengthWeight = vehicle.LengthWeight();
    OffsetSolution solution;
    Sampled sampled;
    int iterations = 0;
    bool settled = true; // every solve, not only the last
    for (int round = 0;; ++round) {
        solution = MinimiseCurvature(corridor, solve, solution.offsets);
        iterations += solution.iterations;
        settled = settled && solution.converged;
        std::vector<WorldPoint> line(corridor.centre.size());
        for (std::size_t i = 0; i < line.size(); ++i)
            line[i] = Shifted(corridor, i, solution.offsets[i]);
        sampled = SampleSpline(FitCubicSpline(line, track->closed), spacing);
        std::vector<WorldPoint> points;
        for (const RacelineRow& row : sampled.line.rows)
            points.push_back({row.x, row.y});
        const std::vector<double> excess = KeepInside(*track, clearance, referenceS, sampled.segment, points);
        for (std::size_t i = 0; i < points.size(); ++i) {
            sampled.line.rows[i].x = points[i].x;
            sampled.line.rows[i].y = points[i].y;
        }
        if (round + 1 >= kTighteningRounds || !Tighten(sampled.segment, excess, solution.offsets, corridor))
            break;
    }

    Raceline out;
    out.rows = std::move(sampled.line.rows);
    out.length = sampled.line.length;
    out.closed = track->closed;
    out.converged = settled;
    out.iterations = iterations;
    if (!settled)
        out.note = "the race line did not settle within " + std::to_string(options.maxIterations) +
                   " steps; the best line found is used";
    AddSpeeds(out, vehicle);
    return out;
}

} // namespace velmora
