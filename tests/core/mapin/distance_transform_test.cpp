#include "core/mapin/distance_transform.h"

#include <gtest/gtest.h>
#include <random>

namespace velmora {
namespace {

float BruteForce(const CellMask& m, int x, int y)
{
    float best = kNoCell;
    for (int ty = 0; ty < m.height; ++ty)
        for (int tx = 0; tx < m.width; ++tx)
            if (m.At(tx, ty))
                best = std::min(best, float((tx - x) * (tx - x) + (ty - y) * (ty - y)));
    return best;
}

TEST(DistanceTransform, IsExactOnEveryKindOfMask)
{
    const struct {
        int width, height;
        double density;
    } cases[] = {{1, 1, 1.0}, {7, 1, 0.2}, {1, 9, 0.2}, {23, 17, 0.02}, {40, 31, 0.3}, {64, 64, 0.001}, {5, 5, 0.0}};
    std::mt19937 random(7);
    for (const auto& c : cases) {
        CellMask m(c.width, c.height);
        std::bernoulli_distribution pick(c.density);
        for (auto& cell : m.cells)
            cell = pick(random) ? 1 : 0;
        const std::vector<float> d = SquaredDistances(m);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                ASSERT_EQ(d[m.Index(x, y)], BruteForce(m, x, y)) << c.width << "x" << c.height << " at " << x << "," << y;
    }
}

// The free cells clear of the walls by a radius, as the exact distances say:
// in a byte a cell, a far run must not hide a near wall.
TEST(DistanceTransform, HeldBeyondIsTheThresholdOfTheExactDistances)
{
    std::mt19937 random(3);
    // Tall enough for runs down a column past what a byte holds.
    for (const double density : {0.00002, 0.002, 0.4}) {
        CellMask walls(120, 700);
        std::bernoulli_distribution pick(density);
        for (auto& cell : walls.cells)
            cell = pick(random) ? 1 : 0;
        CellMask free = walls;
        for (auto& cell : free.cells)
            cell = cell ? 0 : 1;
        const std::vector<float> d = SquaredDistances(walls);
        for (const double radius : {0.5, 1.5, 7.2, 30.0, 252.9, 260.0}) {
            const CellMask held = HeldBeyond(free, radius);
            for (std::size_t i = 0; i < d.size(); ++i)
                ASSERT_EQ(held.cells[i], d[i] > radius * radius ? 1 : 0) << density << " " << radius << " at " << i;
        }
    }
}

} // namespace
} // namespace velmora
