// world_checks.h: what must always hold of the game's globals, and whole-world snapshots; shared
// by the unit tests, the event fuzzer and the soak program. Each check returns its first fault
// as a message, or null.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "world.h"

namespace checks {

// Constants
constexpr std::size_t kObstacleCount = 18;
constexpr std::size_t kTreeCount = 70;
constexpr float kMinSpeed = 8.0f;
constexpr float kMaxSpeed = 42.0f;
constexpr float kLateralLimit = 2.6f;
constexpr float kRoadPeriod = 400.0f;
constexpr float kTreeRecycleLine = 20.0f;
constexpr float kTreeFarLine = -350.0f;
constexpr float kRemovalLine = 15.0f;
constexpr float kMinGap = 14.0f;
constexpr float kMaxGap = 19.0f;
// Obstacles move by separate float additions, so their gaps drift by rounding over a lifetime.
constexpr float kGapSlack = 0.1f;
constexpr float kButtonWidth = 160.0f;
constexpr float kButtonHeight = 40.0f;

// Static helpers

inline bool finite(std::initializer_list<float> values) {
    for (float v : values) {
        if (!std::isfinite(v))
            return false;
    }
    return true;
}

inline const char* obstacleViolation(const Obstacle& o) {
    if (!finite({o.x, o.y, o.z, o.width, o.height, o.depth}))
        return "obstacle has a non-finite field";
    if (o.x != -2.0f && o.x != 0.0f && o.x != 2.0f)
        return "obstacle off the lane centres";
    if (o.kind < Box || o.kind > Cylinder)
        return "obstacle of unknown kind";
    if (o.width <= 0.0f || o.height <= 0.0f || o.depth <= 0.0f)
        return "obstacle without size";
    return nullptr;
}

// One button against the layout the window size asks for.
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

template <typename T>
bool sameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

template <typename T>
bool sameBytes(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

// Public functions

// The 70 trees stand 4.5 to 21.5 beside the road; once a racing tick has moved them, none lies
// past the recycling line (start-up plants some beyond it).
inline const char* treeViolation(bool treesMoved) {
    if (trees.size() != kTreeCount)
        return "tree count is not 70";
    for (const Tree& t : trees) {
        if (!finite({t.x, t.y, t.z}))
            return "tree has a non-finite field";
        if (t.y != 0.0f || std::fabs(t.x) < 4.5f || std::fabs(t.x) > 21.5f)
            return "tree off the roadside";
        if (t.z < kTreeFarLine || (treesMoved && t.z > kTreeRecycleLine))
            return "tree outside z -350..20";
    }
    return nullptr;
}

// A laid-out race: car, road, obstacle stream and trees within their bounds.
inline const char* raceViolation(bool treesMoved) {
    if (!finite({car.x, car.y, car.z, car.speed, car.steerAngle}))
        return "car has a non-finite field";
    if (car.speed < kMinSpeed || car.speed > kMaxSpeed)
        return "speed outside [8, 42]";
    if (car.x < -kLateralLimit || car.x > kLateralLimit)
        return "car x outside [-2.6, 2.6]";
    if (!finite({roadOffset}) || roadOffset < 0.0f || roadOffset > kRoadPeriod)
        return "roadOffset outside [0, 400]";
    if (obstacles.size() != kObstacleCount)
        return "obstacle count is not 18";
    if (obstacles.front().z > kRemovalLine)
        return "front obstacle past the removal line";
    for (std::size_t i = 0; i < obstacles.size(); ++i) {
        if (const char* fault = obstacleViolation(obstacles[i]))
            return fault;
        const float gap = i == 0 ? kMinGap : obstacles[i - 1].z - obstacles[i].z;
        if (!(gap > 0.0f))
            return "obstacles not in decreasing z";
        if (gap < kMinGap - kGapSlack || gap > kMaxGap + kGapSlack)
            return "obstacle gap not 14..19";
    }
    return treeViolation(treesMoved);
}

// Both button arrays as layoutButtons must leave them for the window size.
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

// The race exactly as a reset lays it out: car at rest at its start, nothing held, no score.
inline const char* freshRaceViolation() {
    if (!sameBytes(car, Car{0.0f, 0.25f, 2.0f, 18.0f, 0.0f}))
        return "fresh race: car not at rest at its start";
    if (controls.brake || controls.accelerate || controls.steerRight || controls.steerLeft)
        return "fresh race: controls still held";
    if (score != 0 || roadOffset != 0.0f)
        return "fresh race: score or road not reset";
    if (obstacles.size() != kObstacleCount)
        return "fresh race: not 18 obstacles";
    for (std::size_t i = 0; i < obstacles.size(); ++i) {
        if (obstacles[i].z != -15.0f - static_cast<float>(i) * 14.0f)
            return "fresh race: obstacles not 14 apart from -15";
    }
    return nullptr;
}

// Between any two events: a known screen, trees and buttons in place, and, once a race has been
// laid out, a sound race.
inline const char* worldViolation(bool raceLaidOut, bool treesMoved) {
    if (gameState != Menu && gameState != Playing && gameState != GameOver)
        return "gameState outside the three screens";
    if (const char* fault = layoutViolation())
        return fault;
    return raceLaidOut ? raceViolation(treesMoved) : treeViolation(treesMoved);
}

}  // namespace checks

// Every global of the game, copied so that two moments can be compared byte for byte.
struct WorldSnapshot {
    GameState state = ::gameState;
    Car car = ::car;
    ControlState controls = ::controls;
    std::vector<Obstacle> obstacles = ::obstacles;
    std::vector<Tree> trees = ::trees;
    std::vector<Button> menuButtons = ::menuButtons;
    std::vector<Button> gameOverButtons = ::gameOverButtons;
    float roadOffset = ::roadOffset;
    int score = ::score;
    int windowWidth = ::windowWidth;
    int windowHeight = ::windowHeight;

    bool operator==(const WorldSnapshot& o) const {
        using checks::sameBytes;
        return state == o.state && sameBytes(car, o.car) && sameBytes(controls, o.controls) &&
               sameBytes(obstacles, o.obstacles) && sameBytes(trees, o.trees) &&
               sameBytes(menuButtons, o.menuButtons) &&
               sameBytes(gameOverButtons, o.gameOverButtons) &&
               sameBytes(roadOffset, o.roadOffset) && score == o.score &&
               windowWidth == o.windowWidth && windowHeight == o.windowHeight;
    }
    bool operator!=(const WorldSnapshot& o) const { return !(*this == o); }
};
