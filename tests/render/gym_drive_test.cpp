// Drives the f1tenth race line as F1TENTH users first do, in a copy of the
// gym's simulator with its example pure pursuit, on the occupancy map
// velmora-export writes for the circuit, against the published race line of
// the same circuit driven alike.
#include "../core/raceline/gym_driver.h"
#include "core/inputs/centreline_import.h"
#include "core/formats/field_text.h"
#include "core/formats/number_text.h"
#include "core/raceline/track_raceline.h"
#include "render/occupancy_map.h"

#include <QImage>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {
namespace {

std::string F1tenthFile(const std::string& name)
{
    std::ifstream in(std::string(VELMORA_TEST_DATA) + "/f1tenth/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The numbers of each row that is not a comment, split at ';' or ','.
std::vector<std::vector<double>> NumberRows(const std::string& text)
{
    std::vector<std::vector<double>> rows;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        end = end == std::string::npos ? text.size() : end;
        std::string_view line(text.data() + from, end - from);
        from = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<double> row;
        while (!line.empty()) {
            const std::size_t cut = line.find_first_of(";,");
            const DecimalScan scan = ScanDecimal(TrimBlanks(line.substr(0, cut)));
            row.push_back(scan.value);
            line = cut == std::string_view::npos ? std::string_view() : line.substr(cut + 1);
        }
        rows.push_back(row);
    }
    return rows;
}

struct Circuit {
    ImportedCentreline track;
    sim::WallCells walls;
};

// Imported at the published map's resolution with the file's widths
// (--track-width csv), and the map --ros-map writes for it.
Circuit Imported(const std::string& name)
{
    Circuit c;
    const std::string yaml = F1tenthFile(name + "_map.yaml");
    const std::size_t at = yaml.find("resolution:");
    const Result<std::vector<CentrelineRow>> rows = ReadCentrelineRows(F1tenthFile(name + "_centerline.csv"));
    EXPECT_TRUE(rows) << rows.error();
    CentrelineImportOptions o;
    o.metresPerPixel = at == std::string::npos ? 0 : ScanDecimal(TrimBlanks(yaml.substr(at + 11, 20))).value;
    o.trackWidthFromFile = true;
    Result<ImportedCentreline> track = ImportCentreline(rows ? *rows : std::vector<CentrelineRow>(), o);
    EXPECT_TRUE(track) << track.error();
    if (!track)
        return c;
    c.track = std::move(*track);
    const QImage map = OccupancyMap(c.track.model.TrackPath, c.track.trackWidth, o.canvasWidth, o.canvasHeight);
    c.walls = {map.width(), map.height(), {}, c.track.frame};
    for (int y = 0; y < map.height(); ++y)
        for (int x = 0; x < map.width(); ++x)
            c.walls.wall.push_back(map.constScanLine(y)[x] == 0);
    return c;
}

// The published line's rows: x, y and vx of "s; x; y; psi; kappa; vx; ax".
std::vector<sim::Waypoint> PublishedRows(const std::string& name)
{
    std::vector<sim::Waypoint> rows;
    for (const auto& r : NumberRows(F1tenthFile(name + "_raceline.csv")))
        rows.push_back({r.at(1), r.at(2), r.at(5)});
    return rows;
}

// Our line's rows as its file has them, the first again at the end.
std::vector<sim::Waypoint> OurRows(const Raceline& line)
{
    std::vector<sim::Waypoint> rows;
    for (const RacelineRow& r : line.rows)
        rows.push_back({r.x, r.y, r.vx});
    rows.push_back(rows.front());
    return rows;
}

class GymDrive : public ::testing::TestWithParam<const char*> {};

// The shipped f1tenth line at its own speeds: two laps without the body
// touching a wall, the flying one faster than the published line's and
// within 3 % of the lap the file prints.
TEST_P(GymDrive, OurLineFinishesAtItsOwnSpeedsFasterThanThePublishedLine)
{
    const Circuit c = Imported(GetParam());
    ASSERT_FALSE(c.walls.wall.empty());
    const Result<Raceline> line = RacelineOfTrack(c.track.model.TrackPath, c.track.trackWidth, c.track.frame,
                                                  F1tenthVehicle(), &c.track.sourceEdges);
    ASSERT_TRUE(line) << line.error();
    const sim::SingleTrackCar car = sim::GymCar();
    const sim::GymRun ours = sim::DriveGym(car, OurRows(*line), c.walls, {});
    // The published line only by the gym's own check, the box its lidar
    // sees (the wheelbase long): by the whole body it touches a wall on Spa.
    sim::GymOptions gymCheck;
    gymCheck.bodyLengthM = car.Wheelbase();
    const sim::GymRun published = sim::DriveGym(car, PublishedRows(GetParam()), c.walls, gymCheck);
    ASSERT_TRUE(published.finished) << "the published line: " << published.why;
    ASSERT_TRUE(ours.finished) << ours.why;
    const double flying = ours.lapTimes.back(), theirs = published.lapTimes.back();
    std::printf("%-12s ours %.2f s (printed %.2f s), published %.2f s; off our line %.3f m at most (95%% %.3f), "
                "body %.3f m from a wall at least (published line: %.3f m off, %.3f m from a wall)\n",
                GetParam(), flying, line->lapTime, theirs, ours.worstOffPath, ours.offPath95, ours.closestWall,
                published.worstOffPath, published.closestWall);
    EXPECT_LT(flying, theirs);
    EXPECT_NEAR(flying, line->lapTime, 0.03 * line->lapTime) << "driven against printed";
}

INSTANTIATE_TEST_SUITE_P(F1tenth, GymDrive, ::testing::Values("BrandsHatch", "Monza", "Spa"));

} // namespace
} // namespace velmora
