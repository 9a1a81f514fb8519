// race.cpp: one step of the race and the collision test.
#include "race.h"

#include <climits>
#include <cmath>

#include "course.h"
#include "shared_constants.h"
#include "world.h"

// Constants
static const float kPedalStep = 8.0f * kStepSeconds;  // speed change while a pedal is held
static const float kDrift = 2.2f * kStepSeconds;      // speed drift towards cruising
static const float kMinSpeed = 8.0f;
static const float kMaxSpeed = 42.0f;
static const float kLateralRate = 7.0f * kStepSeconds;  // lateral step at cruising speed
static const float kSteerAngle = 12.0f;
static const float kLateralLimit = 2.6f;
static const float kTreeRecycleLine = 20.0f;
static const float kTreeRecycleJump = 370.0f;
static const float kCarHalfWidth = 0.55f;
static const float kCarHalfLength = 1.1f;
static const float kCollidingShare = 0.7f;

// Static helpers

// Pedals first (accelerate wins over brake), otherwise drift towards cruising; then clamp.
static void updateSpeed() {
    if (controls.accelerate) {
        car.speed += kPedalStep;
    } else if (controls.brake) {
        car.speed -= kPedalStep;
    } else if (car.speed > kCruiseSpeed) {
        car.speed -= kDrift;
    } else if (car.speed < kCruiseSpeed) {
        car.speed += kDrift;
    }
    if (car.speed > kMaxSpeed) {
        car.speed = kMaxSpeed;
    } else if (car.speed < kMinSpeed) {
        car.speed = kMinSpeed;
    }
}

// Left wins over right; the lateral step grows with speed. Then keep the car on the road.
static void updateSteering() {
    const float lateral = car.speed / kCruiseSpeed * kLateralRate;
    if (controls.steerLeft) {
        car.x -= lateral;
        car.steerAngle = kSteerAngle;
    } else if (controls.steerRight) {
        car.x += lateral;
        car.steerAngle = -kSteerAngle;
    } else {
        car.steerAngle = 0.0f;
    }
    if (car.x < -kLateralLimit) {
        car.x = -kLateralLimit;
    } else if (car.x > kLateralLimit) {
        car.x = kLateralLimit;
    }
}

// Scrolls the road and moves every tree by the step, sending passed trees far ahead again.
static void moveScenery(float step) {
    roadOffset += step;
    if (roadOffset > kRoadPeriod)
        roadOffset -= kRoadPeriod;
    for (Tree& tree : trees) {
        tree.z += step;
        if (tree.z > kTreeRecycleLine)
            tree.z -= kTreeRecycleJump;
    }
}

// True when the obstacle's colliding box overlaps the car's box; both tests are strict.
static bool overlapsCar(const Obstacle& o) {
    const float reachX = o.width * 0.5f * kCollidingShare + kCarHalfWidth;
    const float reachZ = o.depth * 0.5f * kCollidingShare + kCarHalfLength;
    return std::fabs(car.x - o.x) < reachX && std::fabs(car.z - o.z) < reachZ;
}

// Public functions

void advanceRace() {
    updateSpeed();
    const float step = kStepSeconds * car.speed;
    updateSteering();
    moveScenery(step);
    updateObstacles();
    if (score < INT_MAX)
        ++score;  // saturate instead of overflowing after ~400 days of racing
    if (checkCollision())
        gameState = GameOver;
}

// A plain loop, not std::any_of: its unrolled search keeps overlapsCar out of line, which made
// every racing step about half as slow again.
bool checkCollision() {
    for (const Obstacle& o : obstacles) {  // NOLINT(readability-use-anyofallof)
        if (overlapsCar(o))
            return true;
    }
    return false;
}
