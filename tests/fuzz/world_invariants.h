// world_invariants.h: what must always hold of the world once a race has been laid out, and of
// the button layout; shared by the event fuzzer and the soak program.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstring>

#include "world.h"

namespace invariants {

// Constants
constexpr std::size_t kObstacleCount = 18;
constexpr float kMinSpeed = 8.0f;
constexpr float kMaxSpeed = 42.0f;
constexpr float kLateralLimit = 2.6f;
constexpr float kRoadPeriod = 400.0f;
constexpr float kTreeRecycleLine = 20.0f;
constexpr float kRemovalLine = 15.0f;
constexpr float kMinGap = 14.0f;
constexpr float kMaxGap = 19.0f;
// Obstacles move by separate float additions, so their gaps drift by rounding over a lifetime.
constexpr float kGapSlack = 0.1f;
constexpr float kButtonWidth = 160.0f;
constexpr float kButtonHeight = 40.0f;

// Static helpers

inline bool finite(float v) {
    return std::isfinite(v);
}

inline bool inLane(float x) {
    return x == -2.0f || x == 0.0f || x == 2.0f;
}

// The first fault of one obstacle, or null.
inline const char* obstacleViolation(const Obstacle& o) {
    if (!finite(o.x) || !finite(o.y) || !finite(o.z) || !finite(o.width) || !finite(o.height) ||
        !finite(o.depth)) {
        return "obstacle has a non-finite field";
    }
    if (!inLane(o.x))
        return "obstacle off the lane centres";
    if (o.kind < Box || o.kind > Cylinder)
        return "obstacle of unknown kind";
    if (o.width <= 0.0f || o.height <= 0.0f || o.depth <= 0.0f)
        return "obstacle without size";
    return nullptr;
}

// The first fault of one button against the layout the window size asks for, or null.
inline const char* buttonViolation(const Button& b, float topAboveCentre, const char* label) {
    const float left = static_cast<float>(windowWidth) * 0.5f - kButtonWidth * 0.5f;
    const float top = static_cast<float>(windowHeight) * 0.5f - topAboveCentre;
    if (b.x != left || b.y != top)
        return "button not placed for the window size";
    if (b.width != kButtonWidth || b.height != kButtonHeight)
        return "button of wrong size";
    if (b.label == nullptr || std::strcmp(b.label, label) != 0)
        return "button with wrong label";
    return nullptr;
}

// Public functions

// The first invariant the laid-out race breaks, or null. Trees are checked only once a racing
// tick has moved them: start-up plants some beyond the recycling line.
inline const char* raceViolation(bool treesMoved) {
    if (!finite(car.x) || !finite(car.y) || !finite(car.z) || !finite(car.speed) ||
        !finite(car.steerAngle)) {
        return "car has a non-finite field";
    }
    if (car.speed < kMinSpeed || car.speed > kMaxSpeed)
        return "speed outside [8, 42]";
    if (car.x < -kLateralLimit || car.x > kLateralLimit)
        return "car x outside [-2.6, 2.6]";
    if (!finite(roadOffset) || roadOffset < 0.0f || roadOffset > kRoadPeriod) {
        return "roadOffset outside [0, 400]";
    }
    if (obstacles.size() != kObstacleCount)
        return "obstacle count is not 18";
    if (obstacles.front().z > kRemovalLine)
        return "front obstacle past the removal line";
    for (std::size_t i = 0; i < obstacles.size(); ++i) {
        if (const char* fault = obstacleViolation(obstacles[i]))
            return fault;
        if (i == 0)
            continue;
        const float gap = obstacles[i - 1].z - obstacles[i].z;
        if (!(gap > 0.0f))
            return "obstacles not in decreasing z";
        if (gap < kMinGap - kGapSlack || gap > kMaxGap + kGapSlack)
            return "obstacle gap not 14..19";
    }
    for (const Tree& t : trees) {
        if (!finite(t.x) || !finite(t.y) || !finite(t.z))
            return "tree has a non-finite field";
        if (treesMoved && t.z > kTreeRecycleLine)
            return "tree beyond z 20";
    }
    return nullptr;
}

// The first way the two button arrays differ from the layout for the window size, or null.
inline const char* layoutViolation() {
    if (menuButtons.size() != 2 || gameOverButtons.size() != 2)
        return "not two buttons each";
    const char* fault = buttonViolation(menuButtons[0], 20.0f, "Start Game");
    if (!fault)
        fault = buttonViolation(menuButtons[1], 80.0f, "Quit");
    if (!fault)
        fault = buttonViolation(gameOverButtons[0], 20.0f, "Restart");
    if (!fault)
        fault = buttonViolation(gameOverButtons[1], 80.0f, "Menu");
    return fault;
}

}  // namespace invariants
