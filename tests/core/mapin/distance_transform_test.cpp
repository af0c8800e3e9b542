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

} // namespace
} // namespace velmora
