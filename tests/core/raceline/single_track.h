#pragma once

#include "core/raceline/vehicle.h"

namespace velmora::sim {

// The state of the single-track (bicycle) model: position of the centre of
// gravity, front wheel angle, speed, heading, yaw rate and the slip angle
// between heading and the direction of travel.
struct CarState {
    double x = 0;
    double y = 0;
    double steer = 0;
    double speed = 0;
    double yaw = 0;
    double yawRate = 0;
    double slip = 0;
};

// What the driver asks of the car: how fast the wheels turn and the
// longitudinal acceleration. The car clips both to what it can do.
struct CarInput {
    double steerRate = 0;
    double acceleration = 0;
};

// The acceleration the car gives for the one asked: the motor's
// a_max * v_switch / v above the switch speed, the brakes' a_max, nothing
// beyond the top speed.
double ActualAcceleration(const SingleTrackCar& car, double switchSpeed, double speed, double asked);

// The time derivative of the state, written as the CommonRoad single-track
// model publishes it: the kinematic model below 0.5 m/s, where the dynamic
// one divides by the speed; above it the dynamic model with linear tyres
// whose cornering stiffness follows the axle's load, shifted by the
// acceleration through the centre of gravity's height.
CarState Derivative(const SingleTrackCar& car, double switchSpeed, const CarState& state, const CarInput& input);

// One step of dt seconds, fourth-order Runge-Kutta, the inputs held over
// the step.
CarState Step(const SingleTrackCar& car, double switchSpeed, const CarState& state, const CarInput& input,
              double dt);

// The friction coefficient the tyres need in this state, on the busier
// axle: the lateral force of the linear tyre over the axle's load, combined
// with the longitudinal acceleration shared by the axles as their loads. 0
// in the kinematic range.
double FrictionNeeded(const SingleTrackCar& car, const CarState& state, double acceleration);

} // namespace velmora::sim
