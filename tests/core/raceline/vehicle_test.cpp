#include "core/raceline/vehicle.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

constexpr char kComplete[] = "# a test car\n"
                             "width_m = 1.9\n"
                             "\n"
                             "safety_margin_m=0.5   # each side\r\n"
                             "  max_lateral_acceleration_mps2 = 14\n"
                             "max_acceleration_mps2 = 6.5\n"
                             "max_braking_mps2 = 1.2e1\n"
                             "top_speed_mps = 80";

TEST(Vehicle, ReadsAFileWithCommentsAndBlanks)
{
    const Result<Vehicle> car = ParseVehicle(kComplete);
    ASSERT_TRUE(car.ok()) << car.error();
    EXPECT_EQ(car->widthM, 1.9);
    EXPECT_EQ(car->safetyMarginM, 0.5);
    EXPECT_EQ(car->maxLateralAccelerationMps2, 14);
    EXPECT_EQ(car->maxAccelerationMps2, 6.5);
    EXPECT_EQ(car->maxBrakingMps2, 12);
    EXPECT_EQ(car->topSpeedMps, 80);
    EXPECT_DOUBLE_EQ(car->Clearance(), 1.45);
}

TEST(Vehicle, ErrorsNameTheLineOrTheKey)
{
    const std::string full = kComplete;
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = full;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {full + "\nmass_kg = 700", "line 9: unknown key \"mass_kg\""},
        {replaced("width_m = 1.9\n", ""), "missing key width_m"},
        {replaced("= 6.5", "= 0"), "line 6: max_acceleration_mps2 must be positive, not \"0\""},
        {replaced("= 6.5", "= -3"), "line 6: max_acceleration_mps2 must be positive"},
        {replaced("= 6.5", "= 6,5"), "line 6: max_acceleration_mps2 is not a number: \"6,5\""},
        {replaced("= 6.5", "= nan"), "line 6: max_acceleration_mps2 is not a number"},
        {replaced("= 6.5", "= 1e999"), "line 6: max_acceleration_mps2 is not a number"},
        {replaced("= 6.5", "="), "line 6: max_acceleration_mps2 is not a number: \"\""},
        {replaced("top_speed_mps = 80", "top_speed_mps 80"), "line 8: expected \"key = value\""},
        {full + "\nwidth_m = 2", "line 9: width_m given twice"},
        {"", "missing key width_m"},
    };
    for (const auto& c : cases) {
        const Result<Vehicle> car = ParseVehicle(c.text);
        ASSERT_FALSE(car.ok()) << c.error;
        EXPECT_EQ(car.error().rfind(c.error, 0), 0u) << car.error();
    }
}

TEST(Vehicle, BuiltInProfiles)
{
    for (const char* name : {"f1tenth", "racecar"}) {
        const Result<Vehicle> car = BuiltInVehicle(name);
        ASSERT_TRUE(car.ok()) << name;
        EXPECT_GT(car->Clearance(), car->widthM / 2);
    }
    EXPECT_LT(F1tenthVehicle().widthM, 0.5);
    const Result<Vehicle> unknown = BuiltInVehicle("bus");
    ASSERT_FALSE(unknown.ok());
    EXPECT_EQ(unknown.error(), "unknown vehicle \"bus\" (known: f1tenth, racecar)");
}

} // namespace
} // namespace velmora
