#include "core/mapin/cell_regions.h"

#include <gtest/gtest.h>
#include <map>
#include <random>

namespace velmora {
namespace {

// The groups by the plainest flood there is, one cell at a time.
std::vector<int> FloodGroups(const CellMask& m)
{
    std::vector<int> group(m.cells.size(), 0);
    int count = 0;
    for (std::size_t seed = 0; seed < m.cells.size(); ++seed) {
        if (m.cells[seed] || group[seed])
            continue;
        group[seed] = ++count;
        std::vector<std::size_t> todo{seed};
        while (!todo.empty()) {
            const std::size_t i = todo.back();
            todo.pop_back();
            const int x = int(i) % m.width, y = int(i) / m.width;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (m.Inside(x + dx, y + dy) && !m.At(x + dx, y + dy) && !group[m.Index(x + dx, y + dy)]) {
                        group[m.Index(x + dx, y + dy)] = count;
                        todo.push_back(m.Index(x + dx, y + dy));
                    }
        }
    }
    return group;
}

TEST(LabelComplement, GroupsAsAFloodThroughSidesAndCornersDoes)
{
    const struct {
        int width, height;
        double held;
    } cases[] = {{1, 1, 0.0}, {1, 1, 1.0}, {9, 1, 0.5}, {1, 9, 0.5}, {30, 20, 0.45}, {31, 33, 0.6}, {64, 64, 0.55}};
    std::mt19937 random(11);
    for (const auto& c : cases) {
        for (int round = 0; round < 20; ++round) {
            CellMask m(c.width, c.height);
            std::bernoulli_distribution held(c.held);
            for (auto& cell : m.cells)
                cell = held(random) ? 1 : 0;
            const ComplementLabels parts = LabelComplement(m);
            struct {
                std::vector<std::uint32_t> label;
                const std::vector<RegionSummary>& regions;
            } labels{std::vector<std::uint32_t>(m.cells.size(), 0), parts.regions};
            for (const CellStretch& s : parts.stretches)
                for (int x = s.x0; x <= s.x1; ++x)
                    labels.label[m.Index(x, s.y)] = s.group;
            const std::vector<int> flood = FloodGroups(m);
            // The same partition: each flood group is one labelled group and
            // back, with its size, first cell and whether it meets the edge.
            std::map<int, std::uint32_t> toLabel;
            std::map<std::uint32_t, int> toFlood;
            for (std::size_t i = 0; i < m.cells.size(); ++i) {
                ASSERT_EQ(labels.label[i] == 0, flood[i] == 0);
                if (!flood[i])
                    continue;
                ASSERT_EQ(toLabel.emplace(flood[i], labels.label[i]).first->second, labels.label[i]);
                ASSERT_EQ(toFlood.emplace(labels.label[i], flood[i]).first->second, flood[i]);
            }
            ASSERT_EQ(labels.regions.size(), toLabel.size());
            for (std::size_t k = 0; k < labels.regions.size(); ++k) {
                const RegionSummary& r = labels.regions[k];
                std::size_t size = 0, first = m.cells.size();
                bool edge = false;
                for (int y = 0; y < m.height; ++y)
                    for (int x = 0; x < m.width; ++x)
                        if (labels.label[m.Index(x, y)] == k + 1) {
                            size += 1;
                            first = std::min(first, m.Index(x, y));
                            edge = edge || x == 0 || y == 0 || x == m.width - 1 || y == m.height - 1;
                        }
                EXPECT_EQ(r.size, size);
                EXPECT_EQ(r.touchesEdge, edge);
                EXPECT_EQ(r.first, first);
            }
        }
    }
}

} // namespace
} // namespace velmora
