// Our minimum-curvature line against the one published with the circuits,
// computed by another optimiser in the same corridor: ours should curve no
// more than theirs.
#include "circuit_data.h"
#include "core/formats/number_text.h"
#include "core/raceline/raceline.h"
#include "published_lines.h"

#include <gtest/gtest.h>
#include <iostream>

namespace velmora {
namespace {

Vehicle PublishedCorridorCar()
{
    Vehicle car = RacecarVehicle();
    car.widthM = published::kCarWidthM;
    car.safetyMarginM = published::kCarMarginM;
    return car;
}

class AgainstPublished : public ::testing::TestWithParam<const char*> {};

TEST_P(AgainstPublished, OursCurvesNoMoreThanThePublishedOne)
{
    const RacelineInput track = circuits::RacelineInputOf(circuits::Rows(GetParam()));
    const double spacing = 1.0;
    const Result<Raceline> line = ComputeRaceline(track, PublishedCorridorCar(), spacing);
    ASSERT_TRUE(line.ok()) << line.error();
    EXPECT_TRUE(line->converged) << line->note;
    std::vector<WorldPoint> ours;
    for (const RacelineRow& r : line->rows)
        ours.push_back({r.x, r.y});
    const double mine = published::Bending(ours, spacing);
    const double theirs = published::Bending(published::Line(GetParam()), spacing);
    std::cout << GetParam() << ": summed kappa^2 ds ours " << FormatFixed(mine, 5) << " 1/m, published "
              << FormatFixed(theirs, 5) << " 1/m\n";
    EXPECT_LE(mine, theirs);
}

INSTANTIATE_TEST_SUITE_P(Circuits, AgainstPublished, ::testing::ValuesIn(circuits::kNames));

} // namespace
} // namespace velmora
