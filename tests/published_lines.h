#pragma once

// The race lines published with the circuits, and the one measure both
// they and ours are judged by.
#include "core/formats/centreline_rows.h"
#include "core/raceline/raceline.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace velmora::published {

inline std::vector<WorldPoint> Line(const std::string& name)
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
// spline through the points sampled every `spacing` metres: every line is
// measured alike, whatever its own point spacing.
inline double Bending(const std::vector<WorldPoint>& points, double spacing)
{
    const SampledLine line = SampleLine(points, true, spacing);
    const std::vector<double> gaps = RowGaps(line.rows, line.length, true);
    double sum = 0;
    for (std::size_t i = 0; i < line.rows.size(); ++i)
        sum += line.rows[i].kappa * line.rows[i].kappa * gaps[i];
    return sum;
}

// The published lines come within 0.75 m of the circuit's edges all round
// each lap (their closest approaches, 1st to 5th percentile 0.72-0.76 m):
// the corridor of a car 1.48 m wide with a 1 cm margin.
constexpr double kCarWidthM = 1.48;
constexpr double kCarMarginM = 0.01;

} // namespace velmora::published
