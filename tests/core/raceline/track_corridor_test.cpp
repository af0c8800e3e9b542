#include "core/raceline/track_corridor.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <vector>

namespace velmora {
namespace {

// A loop of `count` points 1 m apart on a circle, or a straight line of
// them, 5 m to either edge.
RacelineInput EvenTrack(std::size_t count, bool closed)
{
    RacelineInput in;
    in.closed = closed;
    const double radius = static_cast<double>(count) / (2 * std::numbers::pi);
    for (std::size_t i = 0; i < count; ++i) {
        const double a = static_cast<double>(i) / radius;
        in.centre.push_back(closed ? WorldPoint{radius * std::cos(a), radius * std::sin(a)}
                                   : WorldPoint{static_cast<double>(i), 0});
    }
    in.widthRight.assign(count, 5);
    in.widthLeft.assign(count, 5);
    return in;
}

TEST(NarrowWithinReach, AWidthNarrowsEverythingWithinReachOfIt)
{
    const struct {
        std::string name;
        bool closed;
        std::size_t dip;              // the one narrow point, 2 m to the right edge
        double reach;                 // metres
        std::vector<std::size_t> narrowed; // every point that ends 2 m wide
    } cases[] = {
        {"middle of a line", false, 10, 1.5, {9, 10, 11}},
        {"reach of exactly two points", false, 10, 2.0, {8, 9, 10, 11, 12}},
        {"start of a line", false, 0, 1.5, {0, 1}},
        {"end of a line", false, 19, 1.5, {18, 19}},
        {"across a loop's start", true, 0, 1.5, {19, 0, 1}},
        {"no reach", true, 7, 0, {7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RacelineInput in = EvenTrack(20, c.closed);
        in.widthRight[c.dip] = 2;
        Result<CentreTrack> track = CleanTrack(in);
        ASSERT_TRUE(track) << track.error();
        NarrowWithinReach(*track, c.reach);
        for (std::size_t i = 0; i < 20; ++i) {
            const bool narrowed = std::find(c.narrowed.begin(), c.narrowed.end(), i) != c.narrowed.end();
            EXPECT_NEAR(track->right[i], narrowed ? 2 : 5, 1e-9) << i;
            EXPECT_EQ(track->left[i], 5) << i;
        }
    }
}

// Two 200 m straights joined by half circles of 30 m, 10 m wide.
RacelineInput Stadium()
{
    RacelineInput in;
    const double r = 30;
    for (double x = 0; x < 200; x += 1)
        in.centre.push_back({x, -r});
    for (int k = 0; k < 94; ++k) {
        const double a = -std::numbers::pi / 2 + std::numbers::pi * k / 94;
        in.centre.push_back({200 + r * std::cos(a), r * std::sin(a)});
    }
    for (double x = 200; x > 0; x -= 1)
        in.centre.push_back({x, r});
    for (int k = 0; k < 94; ++k) {
        const double a = std::numbers::pi / 2 + std::numbers::pi * k / 94;
        in.centre.push_back({r * std::cos(a), r * std::sin(a)});
    }
    in.widthRight.assign(in.centre.size(), 5);
    in.widthLeft.assign(in.centre.size(), 5);
    return in;
}

TEST(BuildCorridor, ReferencePointsAreDenseInBendsAndSparseOnStraights)
{
    const Result<CentreTrack> track = CleanTrack(Stadium());
    ASSERT_TRUE(track) << track.error();
    std::vector<double> s;
    const Corridor corridor = BuildCorridor(*track, 1, s);
    ASSERT_EQ(s.size(), corridor.centre.size());
    const double fine = 2.0; // a fifth of the width
    int sparse = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double from = s[i];
        const double gap = (i + 1 < s.size() ? s[i + 1] : track->length) - from;
        EXPECT_LE(gap, 3 * fine + 0.01) << "at " << from << " m";
        // Inside the bends, and within a width of them, every fine step.
        const bool bend = std::fmod(from, 200 + 30 * std::numbers::pi) > 200 - 10;
        if (bend) {
            EXPECT_LE(gap, fine + 0.01) << "at " << from << " m";
        }
        sparse += gap > 2.5 * fine;
    }
    // Most of each straight goes in steps three times as long.
    EXPECT_GE(sparse, 2 * (200 - 2 * 10) / (3 * fine) - 4);
}

} // namespace
} // namespace velmora
