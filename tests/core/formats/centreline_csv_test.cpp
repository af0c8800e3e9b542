#include <gtest/gtest.h>

#include <cmath>

#include "core/formats/centreline_csv.h"

namespace velmora {

TEST(CentrelineCsv, StraightTrackSamplesEveryGapAndTheEnd)
{
    // 150 px heading right at gap 64: samples at 0, 64, 128 and the end, 150.
    const CentrelineResult r = CentrelineCsv("M 100 200 L 250 200 ", 64, 42, 0.05);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.text,
              "# x_m,y_m,w_tr_right_m,w_tr_left_m\n"
              "5,-10,1.05,1.05\n"
              "8.2,-10,1.05,1.05\n"
              "11.4,-10,1.05,1.05\n"
              "12.5,-10,1.05,1.05\n");
}

TEST(CentrelineCsv, EndOnAGapMultipleIsWrittenOnce)
{
    const CentrelineResult r = CentrelineCsv("M 0 0 L 128 0 ", 64, 40, 1);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, "# x_m,y_m,w_tr_right_m,w_tr_left_m\n0,0,20,20\n64,0,20,20\n128,0,20,20\n");
}

TEST(CentrelineCsv, ClosedTrackDoesNotRepeatItsFirstPoint)
{
    // A 100 x 100 square, 400 px round, gap 100: four corners, no fifth row.
    const CentrelineResult r = CentrelineCsv("M 0 0 L 100 0 L 100 100 L 0 100 Z", 100, 10, 0.5);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, "# x_m,y_m,w_tr_right_m,w_tr_left_m\n"
                      "0,0,2.5,2.5\n"
                      "50,0,2.5,2.5\n"
                      "50,-50,2.5,2.5\n"
                      "0,-50,2.5,2.5\n");
}

TEST(CentrelineCsv, RefusesWhatCannotBeSampled)
{
    EXPECT_FALSE(CentrelineCsv("M 0 0 L 100 0 ", 0, 42, 0.05).ok);
    EXPECT_FALSE(CentrelineCsv("M 0 0 L 100 0 ", -1, 42, 0.05).ok);
    EXPECT_FALSE(CentrelineCsv("M 0 0 L 100 0 ", std::nan(""), 42, 0.05).ok);
    EXPECT_FALSE(CentrelineCsv("M 0 0 L 1e30 0 ", 1e-6, 42, 0.05).ok);
    EXPECT_FALSE(CentrelineCsv("M 10 10 ", 64, 42, 0.05).ok);
    EXPECT_FALSE(CentrelineCsv("", 64, 42, 0.05).ok);
    EXPECT_FALSE(CentrelineCsv("M 0 0 L 100 0 ", 64, std::nan(""), 0.05).ok);
}

}  // namespace velmora
