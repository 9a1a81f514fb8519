// race_fixture.h: a fresh launch for every test, and the seeded draws the course must follow.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "course.h"
#include "fake_gl.h"
#include "race.h"
#include "world.h"
#include "world_checks.h"

// Draws made by start-up (the trees) and by one reset.
constexpr int kTreeDraws = 210;
constexpr int kResetDraws = 90;
constexpr int kFirstRaceDraws = kTreeDraws + kResetDraws;

// Centred between two lanes the car cannot touch any obstacle, whatever its size.
constexpr float kBetweenLanes = 1.0f;

// The first `count` results of the generator after the game's seed.
inline std::vector<int> seededDraws(int count) {
    std::srand(12345);
    std::vector<int> out(count);
    for (int& d : out) d = std::rand();
    return out;
}

// Checks an obstacle against its five draws: lane, kind, width, height, depth.
inline void expectBuiltFrom(const Obstacle& o, const int* d) {
    const float lanes[3] = {-2.0f, 0.0f, 2.0f};
    EXPECT_EQ(o.x, lanes[d[0] % 3]);
    EXPECT_EQ(o.kind, d[1] % 3);
    EXPECT_FLOAT_EQ(o.width, d[2] % 2 ? 0.95f : 0.7f);
    EXPECT_FLOAT_EQ(o.height, d[3] % 2 ? 0.8f : 0.5f);
    EXPECT_FLOAT_EQ(o.y, o.height * 0.5f);
    EXPECT_FLOAT_EQ(o.depth, d[4] % 2 ? 0.95f : 0.7f);
}

// The float that lands exactly on `line` when `step` is added to it.
inline float landingOn(float line, float step) {
    float v = line - step;
    while (v + step < line) v = std::nextafter(v, line);
    while (v + step > line) v = std::nextafter(v, -line);
    return v;
}

// The distance step of a tick at the given speed.
inline float stepAt(float speed) {
    return 0.016f * speed;
}

// Every test starts as after launch and "Start Game": seeded trees, a new race, Playing.
class RaceTest : public ::testing::Test {
   protected:
    void SetUp() override { freshRace(); }

    // Back to the state right after launch and "Start Game".
    void freshRace() {
        draws = seededDraws(kFirstRaceDraws + 6000);
        generateTrees();
        resetRace();
        gameState = Playing;
        fakegl::reset();
    }

    std::vector<int> draws;  // the sequence the course must take its values from
};
