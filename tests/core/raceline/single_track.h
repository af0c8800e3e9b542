#pragma once

namespace velmora::sim {

// The car of a single-track simulation (the kinematic/dynamic bicycle model
// with linear tyres that the F1TENTH simulator and the CommonRoad vehicle
// models use).
struct SingleTrackCar {
    double frictionCoefficient = 0; // mu
    double massKg = 0;
    double yawInertiaKgm2 = 0;
    double frontAxleM = 0; // centre of gravity to the front axle (lf)
    double rearAxleM = 0;  // and to the rear axle (lr)
    double frontCorneringStiffness = 0; // per radian, per unit of load and friction (C_Sf)
    double rearCorneringStiffness = 0;  // (C_Sr)
    double centreOfGravityHeightM = 0;
    double maxSteeringRad = 0;
    double maxSteeringRateRadps = 0;
    double motorAccelerationMps2 = 0; // a_max: the motor's and the brakes' most
    double switchSpeedMps = 0;        // above it the motor gives a_max * switch / v
    double topSpeedMps = 0;
    double reverseSpeedMps = 0; // the most it backs up (the gym's -v_min)
    double lengthM = 0;         // the body, centred on the centre of gravity
    double widthM = 0;

    double Wheelbase() const { return frontAxleM + rearAxleM; }
};

// The F1TENTH gym's car with its default parameters (a Traxxas chassis:
// 3.74 kg, wheelbase 0.33 m, friction coefficient 1.0489, the motor's a_max
// 9.51 m/s^2 up to v_switch 7.319 m/s and a_max * v_switch / v above, the
// brakes a_max, steering +-0.4189 rad at 3.2 rad/s, 20 m/s forward and 5
// back, a body of 0.58 x 0.31 m).
SingleTrackCar GymCar();

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
// beyond the top speed forward or the reverse speed back.
double ActualAcceleration(const SingleTrackCar& car, double speed, double asked);

// The time derivative of the state, written as the CommonRoad single-track
// model publishes it: the kinematic model below 0.5 m/s, where the dynamic
// one divides by the speed; above it the dynamic model with linear tyres
// whose cornering stiffness follows the axle's load, shifted by the
// acceleration through the centre of gravity's height.
CarState Derivative(const SingleTrackCar& car, const CarState& state, const CarInput& input);

// One step of dt seconds, fourth-order Runge-Kutta, the inputs held over
// the step.
CarState Step(const SingleTrackCar& car, const CarState& state, const CarInput& input, double dt);

// The friction coefficient the tyres need in this state, on the busier
// axle: the lateral force of the linear tyre over the axle's load, combined
// with the longitudinal acceleration shared by the axles as their loads. 0
// in the kinematic range.
double FrictionNeeded(const SingleTrackCar& car, const CarState& state, double acceleration);

} // namespace velmora::sim
