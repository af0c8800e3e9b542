#include "core/track/track_model.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(LastSegment, LastCommandWithItsBlanks)
{
    EXPECT_EQ(LastSegment(""), "");
    EXPECT_EQ(LastSegment("q 1 2 h 3"), "");
    EXPECT_EQ(LastSegment("M 1 2 L 3 4 "), "L 3 4 ");
    EXPECT_EQ(LastSegment("M 1 2 L 3 4 Z"), "Z");
    EXPECT_EQ(LastSegment("M 10 20 "), "M 10 20 ");
    EXPECT_EQ(LastSegment("M 0 0 C 1 1 2 2 3 3 Q 4 4 5 5"), "C 1 1 2 2 3 3 Q 4 4 5 5");
}

TrackCursor CursorOf(const std::string& path)
{
    TrackModel m;
    m.TrackPath = path;
    m.cursor.x = 99;
    RebuildCursor(m);
    return m.cursor;
}

TEST(RebuildCursor, EndOfTrack)
{
    EXPECT_EQ(CursorOf("M 10 20 "), (TrackCursor{0, 0, 0, 0, "M 10 20 "}));

    const TrackCursor line = CursorOf("M 0 0 L 30 40 ");
    EXPECT_EQ(line.x, 30);
    EXPECT_EQ(line.y, 40);
    EXPECT_EQ(line.length, 50);
    EXPECT_NEAR(line.angle, 0.9273, 1e-4);
    EXPECT_EQ(line.lastSegment, "L 30 40 ");

    const TrackCursor closed = CursorOf("M 0 0 L 30 40 Z");
    EXPECT_EQ(closed.length, 100);
    EXPECT_EQ(closed.x, 0);
    EXPECT_EQ(closed.y, 0);
    EXPECT_NEAR(closed.angle, -2.2143, 1e-4);
    EXPECT_EQ(closed.lastSegment, "Z");

    // Points carry single precision.
    const TrackCursor fine = CursorOf("M 0 0 L 0.1 0 ");
    EXPECT_EQ(fine.x, static_cast<double>(0.1f));
}

TEST(ClearCursor, ZeroRecord)
{
    TrackModel m;
    m.cursor = {1, 2, 3, 4, "Z"};
    ClearCursor(m);
    EXPECT_EQ(m.cursor, TrackCursor{});
}

} // namespace
} // namespace velmora
