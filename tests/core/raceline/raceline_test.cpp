#include "circuit_data.h"
#include "core/raceline/raceline.h"
#include "core/raceline/speed_profile.h"
#include "core/track/path.h"
#include "core/track/track_generator.h"
#include "core/track/world_frame.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace velmora {
namespace {

// A track as clicking draws it: straight stretches meeting in sharp corners,
// sampled every `step` metres, one width all round.
RacelineInput Polyline(const std::vector<WorldPoint>& corners, bool closed, double halfWidth, double step)
{
    RacelineInput in;
    in.closed = closed;
    const std::size_t n = corners.size();
    for (std::size_t i = 0; i < (closed ? n : n - 1); ++i) {
        const WorldPoint a = corners[i];
        const WorldPoint b = corners[(i + 1) % n];
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        const int parts = std::max(1, static_cast<int>(std::ceil(len / step)));
        for (int k = 0; k < parts; ++k) {
            const double t = static_cast<double>(k) / parts;
            in.centre.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
        }
    }
    if (!closed)
        in.centre.push_back(corners.back());
    in.widthRight.assign(in.centre.size(), halfWidth);
    in.widthLeft.assign(in.centre.size(), halfWidth);
    return in;
}

// A generated track's centre every `step` metres in the world frame, the
// way the export tool hands it over.
RacelineInput Generated(std::uint64_t index, double step)
{
    const Settings settings;
    const Result<TrackModel> track = GenerateTrack(settings, DefaultGeneratorOptions(settings), 11, index);
    const PathMeasure path(track ? track->TrackPath : std::string());
    const WorldFrame frame;
    const double pixels = step / frame.metresPerPixel;
    RacelineInput in;
    for (double s = 0; s < path.TotalLength() - pixels / 2; s += pixels) {
        const PathSample p = path.At(s);
        in.centre.push_back({frame.X(p.x), frame.Y(p.y)});
    }
    in.widthRight.assign(in.centre.size(), frame.Metres(settings.TrackWidth / 2));
    in.widthLeft = in.widthRight;
    return in;
}

double SumSquaredCurvature(const std::vector<RacelineRow>& rows)
{
    double sum = 0;
    for (const RacelineRow& r : rows)
        sum += r.kappa * r.kappa;
    return sum;
}

double AngleStep(double a, double b)
{
    return std::remainder(b - a, 2 * std::numbers::pi);
}

// How far outside the narrowed corridor a point lies (negative: inside),
// measured against the nearest point of the whole centre polyline.
double Outside(const RacelineInput& in, double clearance, double x, double y)
{
    const std::size_t n = in.centre.size();
    double best = INFINITY, excess = 0;
    for (std::size_t j = 0; j < (in.closed ? n : n - 1); ++j) {
        const WorldPoint a = in.centre[j], b = in.centre[(j + 1) % n];
        const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
        const double t = len2 > 0 ? std::clamp(((x - a.x) * dx + (y - a.y) * dy) / len2, 0.0, 1.0) : 0.0;
        const double qx = a.x + t * dx, qy = a.y + t * dy;
        const double d = std::hypot(x - qx, y - qy);
        if (d < best) {
            best = d;
            const bool left = dx * (y - qy) - dy * (x - qx) > 0;
            const auto& w = left ? in.widthLeft : in.widthRight;
            excess = d - (w[j] + t * (w[(j + 1) % n] - w[j]) - clearance);
        }
    }
    return excess;
}

// Everything a usable line promises, whatever the track.
void CheckLine(const RacelineInput& in, const Vehicle& car, double spacing, const Raceline& line,
               bool sampledCentre)
{
    ASSERT_GT(line.rows.size(), 3u);
    EXPECT_TRUE(line.converged) << line.note;
    const auto& rows = line.rows;
    double worst = -INFINITY;
    for (const RacelineRow& r : rows)
        worst = std::max(worst, Outside(in, car.Clearance(), r.x, r.y));
    EXPECT_LE(worst, 0.01) << "a row leaves the corridor";

    // Against the smooth curve through the centre samples; a centre of a few
    // corners only has no such curve to compare with.
    if (sampledCentre) {
        const SampledLine centre = SampleLine(in.centre, in.closed, spacing);
        EXPECT_LT(SumSquaredCurvature(rows), SumSquaredCurvature(centre.rows));
    }

    EXPECT_EQ(rows[0].s, 0);
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        const double gap = rows[i + 1].s - rows[i].s;
        const double chord = std::hypot(rows[i + 1].x - rows[i].x, rows[i + 1].y - rows[i].y);
        if (in.closed || i + 2 < rows.size()) {
            EXPECT_NEAR(gap, spacing, 1e-9 * line.length);
        }
        // Rows moved back into the corridor by more than a trace, or a line
        // folding on itself, would shorten the chord far below the arc.
        EXPECT_GE(chord, 0.8 * gap);
        EXPECT_LE(chord, 1.01 * gap);
    }
    if (in.closed)
        EXPECT_LT(rows.back().s, line.length);
    else
        EXPECT_EQ(rows.back().s, line.length);

    if (in.closed) {
        // Across the start the heading and curvature change no more than
        // they do anywhere else along the line.
        double turn = 0, bend = 0;
        for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
            turn = std::max(turn, std::abs(AngleStep(rows[i].psi, rows[i + 1].psi)));
            bend = std::max(bend, std::abs(rows[i + 1].kappa - rows[i].kappa));
        }
        EXPECT_LE(std::abs(AngleStep(rows.back().psi, rows[0].psi)), 1.5 * turn + 1e-9);
        EXPECT_LE(std::abs(rows[0].kappa - rows.back().kappa), 1.5 * bend + 1e-9);
    }

    const double alat = car.maxLateralAccelerationMps2;
    for (const RacelineRow& r : rows) {
        EXPECT_LE(r.vx, car.topSpeedMps + 1e-9);
        EXPECT_LE(r.vx * r.vx * std::abs(r.kappa), alat * (1 + 1e-9));
        EXPECT_LE(r.ax, car.DriveLimit(r.vx) + 1e-9);
        EXPECT_GE(r.ax, -car.maxBrakingMps2 - 1e-9);
        const double lon = r.ax / (r.ax > 0 ? car.maxAccelerationMps2 : car.maxBrakingMps2);
        const double lat = r.vx * r.vx * r.kappa / alat;
        EXPECT_LE(lon * lon + lat * lat, 1 + 1e-6);
    }
    EXPECT_GT(line.lapTime, line.length / car.topSpeedMps);
}

// Fifty generated tracks, of every shape the generator makes.
constexpr std::uint64_t kGeneratedTracks = 50;

struct Case {
    const char* name;
    RacelineInput input;
    Vehicle car;
    double spacing;
    bool sampledCentre = true;
};

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    for (const char* name : circuits::kNames)
        cases.push_back({name, circuits::RacelineInputOf(circuits::Rows(name)), RacecarVehicle(), 1.0});
    // Generated tracks: 0.05 m per pixel, 42 px wide, corners as clicked.
    const double half = 21 * 0.05;
    cases.push_back({"clicked loop",
                     Polyline({{0, 0}, {40, 0}, {50, 12}, {30, 25}, {25, 12}, {0, 20}}, true, half, 1.0),
                     F1tenthVehicle(), 0.5});
    cases.push_back(
        {"hairpin", Polyline({{0, 0}, {30, 0}, {31, 4}, {0, 4}}, true, half, 0.5), F1tenthVehicle(), 0.25});
    cases.push_back({"small canvas", Polyline({{0, 0}, {6, 0}, {6, 5}, {0, 5}}, true, half, 0.05),
                     F1tenthVehicle(), 0.1});
    for (std::uint64_t i = 0; i < kGeneratedTracks; ++i)
        cases.push_back({"generated", Generated(i, 1.0), F1tenthVehicle(), 1.0});
    RacelineInput triangle;
    triangle.centre = {{0, 0}, {30, 0}, {10, 20}};
    triangle.widthRight = {3, 3, 3};
    triangle.widthLeft = {1, 4, 2};
    cases.push_back({"three points", triangle, RacecarVehicle(), 1.0, false});
    cases.push_back({"open", Polyline({{0, 0}, {20, 0}, {28, 8}, {40, 8}, {44, -5}}, false, half, 1.0),
                     F1tenthVehicle(), 0.5});
    return cases;
}

TEST(Raceline, EveryTrackGetsAUsableLine)
{
    int index = 0;
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name + std::string(" ") + std::to_string(index++));
        const Result<Raceline> line = ComputeRaceline(c.input, c.car, c.spacing);
        ASSERT_TRUE(line.ok()) << line.error();
        CheckLine(c.input, c.car, c.spacing, *line, c.sampledCentre);
    }
}

// A car whose controller caps its speed spends most of a lap at the cap,
// where only length costs time: its line, still a usable one, is shorter
// than the line of least curvature the same car gets when its top speed
// alone is the cap. (Whether the lap is faster depends on
// how much of it the cap governs: the gym drive on the 1:10 circuits shows
// it.)
TEST(Raceline, ACappedCarTradesBendingForLength)
{
    Vehicle racecar = RacecarVehicle();
    racecar.controllerTopSpeedMps = 30;
    std::vector<Case> cases;
    for (const char* name : circuits::kNames)
        cases.push_back({name, circuits::RacelineInputOf(circuits::Rows(name)), racecar, 1.0});
    for (std::uint64_t i = 0; i < 10; ++i)
        cases.push_back({"generated", Generated(i, 1.0), F1tenthVehicle(), 1.0});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Vehicle uncapped = c.car;
        uncapped.topSpeedMps = c.car.SpeedCap();
        uncapped.controllerTopSpeedMps = Vehicle::kNoCap;
        ASSERT_GT(c.car.LengthWeight(), 0);
        ASSERT_EQ(uncapped.LengthWeight(), 0);
        const Result<Raceline> capped = ComputeRaceline(c.input, c.car, c.spacing);
        const Result<Raceline> least = ComputeRaceline(c.input, uncapped, c.spacing);
        ASSERT_TRUE(capped.ok() && least.ok());
        CheckLine(c.input, uncapped, c.spacing, *capped, true);
        EXPECT_LT(capped->length, least->length);
    }
}

TEST(Raceline, UnsettledLineSaysSoAndStaysInside)
{
    const RacelineInput in = circuits::RacelineInputOf(circuits::Rows("Monza"));
    CurvatureOptions options;
    options.maxIterations = 1;
    const Result<Raceline> line = ComputeRaceline(in, RacecarVehicle(), 2.0, options);
    ASSERT_TRUE(line.ok()) << line.error();
    EXPECT_FALSE(line->converged);
    EXPECT_NE(line->note.find("did not settle"), std::string::npos);
    for (const RacelineRow& r : line->rows)
        ASSERT_LE(Outside(in, RacecarVehicle().Clearance(), r.x, r.y), 0.01);
}

TEST(Raceline, BadInputIsRefusedWithOneLine)
{
    RacelineInput narrow = Polyline({{0, 0}, {20, 0}, {20, 20}}, true, 0.9, 1.0);
    narrow.widthLeft[5] = 0.5;
    RacelineInput twoPoints;
    twoPoints.centre = {{0, 0}, {5, 0}, {0, 0}, {5, 0}};
    twoPoints.widthRight = twoPoints.widthLeft = {2, 2, 2, 2};
    RacelineInput onePoint = twoPoints;
    onePoint.centre = {{1, 1}, {1, 1}, {1, 1}, {1, 1}};
    RacelineInput notANumber = Polyline({{0, 0}, {20, 0}, {20, 20}}, true, 5, 1.0);
    notANumber.centre[3].x = NAN;
    RacelineInput mismatched = Polyline({{0, 0}, {20, 0}, {20, 20}}, true, 5, 1.0);
    mismatched.widthLeft.pop_back();
    const RacelineInput fine = Polyline({{0, 0}, {20, 0}, {20, 20}}, true, 5, 1.0);
    const struct {
        const char* name;
        const RacelineInput& input;
        double spacing;
        const char* message;
    } cases[] = {
        {"narrow", narrow, 1, "the track is 1.40 m wide 5 m from the start, narrower than the 3.40 m"},
        {"two points", twoPoints, 1, "fewer than 3 distinct points"},
        {"one point", onePoint, 1, "fewer than 3 distinct points"},
        {"nan", notANumber, 1, "point 4 of the centre line is not a finite number"},
        {"widths", mismatched, 1, "not as many track widths"},
        {"zero spacing", fine, 0, "spacing must be a positive"},
        {"nan spacing", fine, NAN, "spacing must be a positive"},
        {"tiny spacing", fine, 1e-9, "too many rows"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result<Raceline> line = ComputeRaceline(c.input, RacecarVehicle(), c.spacing);
        ASSERT_FALSE(line.ok());
        EXPECT_NE(line.error().find(c.message), std::string::npos) << line.error();
        EXPECT_EQ(line.error().find('\n'), std::string::npos);
    }
}

TEST(SpeedProfile, MatchesClosedForms)
{
    const Vehicle car = RacecarVehicle();
    // A circle of radius 20 m in 1 m steps: the lateral limit all round.
    const std::size_t n = 126;
    const double r = 20, gap = 2 * std::numbers::pi * r / n;
    const SpeedProfile circle =
        ComputeSpeedProfile(std::vector<double>(n, 1 / r), std::vector<double>(n, gap), true, car);
    const double v = std::sqrt(car.maxLateralAccelerationMps2 * r);
    for (std::size_t i = 0; i < n; ++i) {
        EXPECT_NEAR(circle.speed[i], v, 1e-9);
        EXPECT_NEAR(circle.acceleration[i], 0, 1e-9);
    }
    EXPECT_NEAR(circle.lapTime, 2 * std::numbers::pi * r / v, 1e-9);

    // A straight from standstill: full drive until the top speed.
    const std::size_t rows = 1001;
    const SpeedProfile straight =
        ComputeSpeedProfile(std::vector<double>(rows, 0), std::vector<double>(rows - 1, 1.0), false, car);
    EXPECT_EQ(straight.speed[0], 0);
    EXPECT_NEAR(straight.speed[100], std::sqrt(2 * car.maxAccelerationMps2 * 100), 1e-9);
    EXPECT_NEAR(straight.speed.back(), car.topSpeedMps, 1e-9);
    EXPECT_NEAR(straight.acceleration[0], car.maxAccelerationMps2, 1e-9);

    // Above its switch speed the 1:10 car's motor gives a_max * v_switch / v:
    // a straight driven flat out reaches v^3 = v_switch^3 + 3 a_max v_switch s
    // past the switch, not the v^2 of a constant drive.
    // The motor's fall-off alone, without the controller's cap.
    Vehicle small = F1tenthVehicle();
    small.controllerTopSpeedMps = Vehicle::kNoCap;
    const SpeedProfile flat =
        ComputeSpeedProfile(std::vector<double>(rows, 0), std::vector<double>(rows - 1, 0.05), false, small);
    const double vs = small.driveSwitchSpeedMps, amax = small.maxAccelerationMps2;
    const double reachSwitch = vs * vs / (2 * amax); // metres
    for (const std::size_t i : {std::size_t{300}, std::size_t{450}, std::size_t{600}}) {
        const double past = 0.05 * static_cast<double>(i) - reachSwitch;
        ASSERT_GT(past, 0);
        EXPECT_NEAR(flat.speed[i], std::cbrt(vs * vs * vs + 3 * amax * vs * past), 0.01) << i;
        EXPECT_LE(flat.acceleration[i], amax * vs / flat.speed[i] + 1e-9);
    }
}

} // namespace
} // namespace velmora
