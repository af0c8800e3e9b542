#include "single_track.h"

#include <algorithm>
#include <cmath>

namespace velmora::sim {

namespace {

constexpr double kGravity = 9.81;
// Below this speed the dynamic model's slip terms divide by almost nothing.
constexpr double kKinematicBelow = 0.5;

CarState Scaled(const CarState& a, const CarState& d, double h)
{
    return {a.x + h * d.x,         a.y + h * d.y,     a.steer + h * d.steer,    a.speed + h * d.speed,
            a.yaw + h * d.yaw,     a.yawRate + h * d.yawRate, a.slip + h * d.slip};
}

double SteerRate(const SingleTrackCar& car, double steer, double asked)
{
    if ((steer <= -car.maxSteeringRad && asked <= 0) || (steer >= car.maxSteeringRad && asked >= 0))
        return 0;
    return std::clamp(asked, -car.maxSteeringRateRadps, car.maxSteeringRateRadps);
}

} // namespace

SingleTrackCar GymCar()
{
    return {.frictionCoefficient = 1.0489,
            .massKg = 3.74,
            .yawInertiaKgm2 = 0.04712,
            .frontAxleM = 0.15875,
            .rearAxleM = 0.17145,
            .frontCorneringStiffness = 4.718,
            .rearCorneringStiffness = 5.4562,
            .centreOfGravityHeightM = 0.074,
            .maxSteeringRad = 0.4189,
            .maxSteeringRateRadps = 3.2,
            .motorAccelerationMps2 = 9.51,
            .switchSpeedMps = 7.319,
            .topSpeedMps = 20.0,
            .reverseSpeedMps = 5.0,
            .lengthM = 0.58,
            .widthM = 0.31};
}

CarState Derivative(const SingleTrackCar& car, const CarState& s, const CarInput& in)
{
    const double sv = SteerRate(car, s.steer, in.steerRate);
    const double a = ActualAcceleration(car, s.speed, in.acceleration);
    const double lf = car.frontAxleM, lr = car.rearAxleM, wheelbase = lf + lr;
    CarState d;
    d.steer = sv;
    d.speed = a;
    if (std::abs(s.speed) < kKinematicBelow) {
        d.x = s.speed * std::cos(s.yaw);
        d.y = s.speed * std::sin(s.yaw);
        d.yaw = s.speed / wheelbase * std::tan(s.steer);
        const double c = std::cos(s.steer);
        d.yawRate = a / wheelbase * std::tan(s.steer) + s.speed / (wheelbase * c * c) * sv;
        return d;
    }
    const double mu = car.frictionCoefficient, v = s.speed;
    // Each axle's load per unit of mass and wheelbase, moved by the acceleration.
    const double front = car.frontCorneringStiffness * (kGravity * lr - a * car.centreOfGravityHeightM);
    const double rear = car.rearCorneringStiffness * (kGravity * lf + a * car.centreOfGravityHeightM);
    d.x = v * std::cos(s.slip + s.yaw);
    d.y = v * std::sin(s.slip + s.yaw);
    d.yaw = s.yawRate;
    const double yawGain = mu * car.massKg / (car.yawInertiaKgm2 * wheelbase);
    d.yawRate = yawGain * (lf * front * s.steer - (lf * lf * front + lr * lr * rear) * s.yawRate / v +
                           (lr * rear - lf * front) * s.slip);
    d.slip = mu / (v * wheelbase) *
                 (front * s.steer - (rear + front) * s.slip + (lr * rear - lf * front) * s.yawRate / v) -
             s.yawRate;
    return d;
}

double ActualAcceleration(const SingleTrackCar& car, double speed, double asked)
{
    const double drive = speed > car.switchSpeedMps ? car.motorAccelerationMps2 * car.switchSpeedMps / speed
                                                    : car.motorAccelerationMps2;
    if ((speed >= car.topSpeedMps && asked >= 0) || (speed <= -car.reverseSpeedMps && asked <= 0))
        return 0;
    return std::clamp(asked, -car.motorAccelerationMps2, drive);
}

CarState Step(const SingleTrackCar& car, const CarState& s, const CarInput& in, double dt)
{
    const CarState k1 = Derivative(car, s, in);
    const CarState k2 = Derivative(car, Scaled(s, k1, dt / 2), in);
    const CarState k3 = Derivative(car, Scaled(s, k2, dt / 2), in);
    const CarState k4 = Derivative(car, Scaled(s, k3, dt), in);
    CarState next = s;
    const auto add = [&](double CarState::*f) { next.*f += dt / 6 * (k1.*f + 2 * k2.*f + 2 * k3.*f + k4.*f); };
    for (double CarState::*f : {&CarState::x, &CarState::y, &CarState::steer, &CarState::speed, &CarState::yaw,
                                &CarState::yawRate, &CarState::slip})
        add(f);
    return next;
}

double FrictionNeeded(const SingleTrackCar& car, const CarState& s, double acceleration)
{
    if (std::abs(s.speed) < kKinematicBelow)
        return 0;
    const double v = s.speed;
    // The linear tyre's lateral force over its load is mu * C * (slip angle).
    const double frontAngle = s.steer - s.slip - car.frontAxleM * s.yawRate / v;
    const double rearAngle = -s.slip + car.rearAxleM * s.yawRate / v;
    const double mu = car.frictionCoefficient;
    const double lateral =
        std::max(std::abs(mu * car.frontCorneringStiffness * frontAngle),
                 std::abs(mu * car.rearCorneringStiffness * rearAngle));
    return std::hypot(lateral, acceleration / kGravity);
}

} // namespace velmora::sim
