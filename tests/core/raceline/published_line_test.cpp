// Our minimum-curvature line against the one published with the circuits,
// computed by another optimiser in the same corridor: ours should curve no
// more than theirs.
#include "circuit_data.h"
#include "core/formats/number_text.h"
#include "core/raceline/raceline.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <iterator>

namespace velmora {
namespace {

std::vector<WorldPoint> PublishedLine(const std::string& name)
{
    std::ifstream in(std::string(VELMORA_TEST_DATA) + "/racelines/" + name + "_raceline.csv", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const Result<std::vector<CentrelineRow>> rows = ReadCentrelineRows(bytes);
    EXPECT_TRUE(rows.ok()) << rows.error();
    std::vector<WorldPoint> points;
    for (const CentrelineRow& r : rows ? *rows : std::vector<CentrelineRow>())
        points.push_back({r.x, r.y});
    return points;
}

// Summed squared curvature over the lap, the sum of kappa^2 ds, of the
// spline through the points sampled every `spacing` metres: both lines are
// measured alike, whatever their own point spacing.
double Bending(const std::vector<WorldPoint>& points, double spacing)
{
    const SampledLine line = SampleLine(points, true, spacing);
    const std::vector<double> gaps = RowGaps(line.rows, line.length, true);
    double sum = 0;
    for (std::size_t i = 0; i < line.rows.size(); ++i)
        sum += line.rows[i].kappa * line.rows[i].kappa * gaps[i];
    return sum;
}

// The published lines keep 0.75 m from the circuit's edges (their closest
// approaches sit there all round each lap): a car 1.5 m wide without a
// margin has the same corridor.
Vehicle PublishedCorridorCar()
{
    Vehicle car = RacecarVehicle();
    car.widthM = 1.5;
    car.safetyMarginM = 0;
    return car;
}

class AgainstPublished : public ::testing::TestWithParam<const char*> {};

TEST_P(AgainstPublished, OursCurvesNoMoreThanThePublishedOne)
{
    RacelineInput track;
    for (const CentrelineRow& r : circuits::Rows(GetParam())) {
        track.centre.push_back({r.x, r.y});
        track.widthRight.push_back(r.widthRight);
        track.widthLeft.push_back(r.widthLeft);
    }
    const double spacing = 1.0;
    const Result<Raceline> line = ComputeRaceline(track, PublishedCorridorCar(), spacing);
    ASSERT_TRUE(line.ok()) << line.error();
    EXPECT_TRUE(line->converged) << line->note;
    std::vector<WorldPoint> ours;
    for (const RacelineRow& r : line->rows)
        ours.push_back({r.x, r.y});
    const double mine = Bending(ours, spacing);
    const double theirs = Bending(PublishedLine(GetParam()), spacing);
    std::cout << GetParam() << ": summed kappa^2 ds ours " << FormatFixed(mine, 5) << " 1/m, published "
              << FormatFixed(theirs, 5) << " 1/m\n";
    EXPECT_LE(mine, theirs);
}

INSTANTIATE_TEST_SUITE_P(Circuits, AgainstPublished, ::testing::ValuesIn(circuits::kNames));

} // namespace
} // namespace velmora
