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

TEST(Vehicle, TheSwitchSpeedIsOptional)
{
    const Result<Vehicle> without = ParseVehicle(kComplete);
    ASSERT_TRUE(without.ok()) << without.error();
    EXPECT_EQ(without->DriveLimit(79), 6.5) << "no fall-off unless asked for";
    const Result<Vehicle> with = ParseVehicle(std::string(kComplete) + "\ndrive_switch_speed_mps = 10");
    ASSERT_TRUE(with.ok()) << with.error();
    EXPECT_EQ(with->DriveLimit(10), 6.5);
    EXPECT_DOUBLE_EQ(with->DriveLimit(20), 3.25);
    const Result<Vehicle> zero = ParseVehicle(std::string(kComplete) + "\ndrive_switch_speed_mps = 0");
    ASSERT_FALSE(zero.ok());
    EXPECT_EQ(zero.error(), "line 9: drive_switch_speed_mps must be positive, not \"0\"");
}

// The controller's limits: optional, so older files read as before; the
// margin widens the clearance and may be 0, the speed caps the car's and
// makes the line's length cost (twice the square of the sharpest bend taken
// at the cap, 14 m/s^2 over the cap squared), the row spacing bounds the track's.
TEST(Vehicle, TheControllersLimits)
{
    const double none = 0;
    const struct {
        const char* extra;
        double clearance, cap, lengthWeight, rows;
        const char* note;
    } cases[] = {
        {"", 1.45, 80, none, 1.0, ""},
        {"controller_top_speed_mps = 30", 1.45, 30, 4.8395e-4, 1.0, "controller's limits 30 m/s"},
        {"controller_top_speed_mps = 90", 1.45, 80, 9.5703e-6, 1.0, "controller's limits 90 m/s"},
        {"controller_margin_m = 0.25", 1.7, 80, none, 1.0, "controller's limits 0.25 m from the line"},
        {"controller_margin_m = 0\ncontroller_top_speed_mps=8", 1.45, 8, 0.095703, 1.0, "controller's limits 8 m/s"},
        {"controller_top_speed_mps = 8\ncontroller_margin_m = 0.1", 1.55, 8, 0.095703, 1.0,
         "controller's limits 8 m/s, 0.1 m from the line"},
        {"controller_row_spacing_m = 0.2", 1.45, 80, none, 0.2, ""},
        {"controller_row_spacing_m = 3", 1.45, 80, none, 1.0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extra);
        const Result<Vehicle> car = ParseVehicle(std::string(kComplete) + "\n" + c.extra);
        ASSERT_TRUE(car.ok()) << car.error();
        EXPECT_DOUBLE_EQ(car->Clearance(), c.clearance);
        EXPECT_EQ(car->SpeedCap(), c.cap);
        EXPECT_NEAR(car->LengthWeight(), c.lengthWeight, 1e-3 * c.lengthWeight);
        EXPECT_EQ(car->RowSpacing(1.0), c.rows);
        EXPECT_EQ(ControllerLimitsNote(*car), c.note);
    }
    const Result<Vehicle> negative = ParseVehicle(std::string(kComplete) + "\ncontroller_margin_m = -0.1");
    ASSERT_FALSE(negative.ok());
    EXPECT_EQ(negative.error(), "line 9: controller_margin_m must not be negative, not \"-0.1\"");
    const Result<Vehicle> stopped = ParseVehicle(std::string(kComplete) + "\ncontroller_top_speed_mps = 0");
    ASSERT_FALSE(stopped.ok());
    EXPECT_EQ(stopped.error(), "line 9: controller_top_speed_mps must be positive, not \"0\"");
}

// Every value of the shipped profiles, so that a changed figure is a
// decision, not an accident.
TEST(Vehicle, BuiltInProfiles)
{
    const double inf = Vehicle::kNoSwitch;
    const struct {
        const char* name;
        double width, margin, lateral, drive, braking, top, switchSpeed, controllerTop, controllerMargin, rows;
    } profiles[] = {
        {"f1tenth", 0.31, 0.10, 10.0, 3.8, 5.5, 20.0, 7.319, 10.0, 0.125, 0.2},
        {"racecar", 2.0, 0.7, 9.81, 5.83, 9.81, 70.0, inf, Vehicle::kNoCap, 0, Vehicle::kNoCap},
    };
    for (const auto& p : profiles) {
        SCOPED_TRACE(p.name);
        const Result<Vehicle> car = BuiltInVehicle(p.name);
        ASSERT_TRUE(car.ok());
        EXPECT_EQ(car->widthM, p.width);
        EXPECT_EQ(car->safetyMarginM, p.margin);
        EXPECT_EQ(car->maxLateralAccelerationMps2, p.lateral);
        EXPECT_EQ(car->maxAccelerationMps2, p.drive);
        EXPECT_EQ(car->maxBrakingMps2, p.braking);
        EXPECT_EQ(car->topSpeedMps, p.top);
        EXPECT_EQ(car->driveSwitchSpeedMps, p.switchSpeed);
        EXPECT_EQ(car->controllerTopSpeedMps, p.controllerTop);
        EXPECT_EQ(car->controllerMarginM, p.controllerMargin);
        EXPECT_EQ(car->controllerRowSpacingM, p.rows);
    }

    EXPECT_EQ(KnownVehicleNames(), "f1tenth, racecar");
    const Result<Vehicle> unknown = BuiltInVehicle("bus");
    ASSERT_FALSE(unknown.ok());
    EXPECT_EQ(unknown.error(), "unknown vehicle \"bus\" (known: f1tenth, racecar)");
}

} // namespace
} // namespace velmora
