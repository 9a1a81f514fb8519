// course_test.cpp: trees and obstacles follow the seeded draws; the removal line and refill.
#include <set>

#include "race_fixture.h"

using Course = RaceTest;

// How many obstacles lie beyond the given z (new ones are appended behind the old back).
static int appendedBeyond(float oldBackZ) {
    int n = 0;
    for (const Obstacle& o : obstacles) n += o.z < oldBackZ;
    return n;
}

// Checks the last `n` obstacles against draws from `next` on, each 14 + gap behind its predecessor.
static void expectAppended(int n, const std::vector<int>& draws, int& next) {
    for (size_t k = obstacles.size() - n; k < obstacles.size(); ++k, next += 6) {
        ASSERT_GT(k, 0u);
        EXPECT_EQ(obstacles[k].z, obstacles[k - 1].z - 14.0f - static_cast<float>(draws[next] % 6));
        expectBuiltFrom(obstacles[k], &draws[next + 1]);
    }
}

TEST_F(Course, TreesLineBothRoadsidesAndStartingObstaclesFollowTheirDraws) {
    ASSERT_EQ(checks::treeViolation(false), nullptr);
    std::set<float> distances, sides;  // both sides, each whole step from 4.5 to 21.5 taken
    for (const Tree& t : trees) {
        distances.insert(std::fabs(t.x));
        sides.insert(std::copysign(1.0f, t.x));
        EXPECT_EQ(std::fmod(std::fabs(t.x), 1.0f), 0.5f) << t.x;
        EXPECT_TRUE(t.z == std::floor(t.z) && t.z <= 69.0f) << t.z;
    }
    EXPECT_EQ(distances.size(), 18u);
    EXPECT_EQ(sides.size(), 2u);
    ASSERT_EQ(obstacles.size(), 18u);
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(obstacles[i].z, static_cast<float>(-15 - 14 * i));
        expectBuiltFrom(obstacles[i], &draws[kTreeDraws + 5 * i]);
    }
}

TEST_F(Course, RaceAppendsSixDrawsPerObstacleAndNextResetContinuesTheSequence) {
    car.x = kBetweenLanes;
    controls.accelerate = true;
    int next = kFirstRaceDraws;
    for (int t = 0; t < 3000; ++t) {
        const float oldBack = obstacles.back().z;
        advanceRace();
        ASSERT_EQ(gameState, Playing);
        ASSERT_EQ(obstacles.size(), 18u);
        expectAppended(appendedBeyond(oldBack), draws, next);
    }
    EXPECT_GT(next, kFirstRaceDraws + 6 * 100);  // the course really moved on
    const std::vector<Tree> movedTrees = trees;
    resetRace();
    for (int i = 0; i < 18; ++i) expectBuiltFrom(obstacles[i], &draws[next + 5 * i]);
    for (size_t i = 0; i < trees.size(); ++i) EXPECT_EQ(trees[i].z, movedTrees[i].z);
}

TEST_F(Course, ObstacleExactlyOnTheRemovalLineStaysUntilItPassesIt) {
    car.x = kBetweenLanes;
    const float step = stepAt(18.0f);
    obstacles[0].z = landingOn(15.0f, step);
    ASSERT_EQ(obstacles[0].z + step, 15.0f);
    const float secondZ = obstacles[1].z;
    advanceRace();
    EXPECT_EQ(obstacles[0].z, 15.0f);
    EXPECT_EQ(obstacles.back().z, -253.0f + step);  // nothing appended, no draw made
    advanceRace();
    ASSERT_EQ(obstacles.size(), 18u);
    EXPECT_EQ(obstacles[0].z, secondZ + step + step);
    int next = kFirstRaceDraws;
    expectAppended(1, draws, next);
}

TEST_F(Course, SeveralObstaclesLeaveInOneTickAndAsManyAreAppended) {
    car.x = kBetweenLanes;
    const std::vector<float> front = {14.9f, 14.8f, 14.75f};
    for (size_t i = 0; i < front.size(); ++i) obstacles[i].z = front[i];
    const std::vector<Obstacle> before = obstacles;
    advanceRace();
    ASSERT_EQ(obstacles.size(), 18u);
    for (size_t i = 0; i + 3 < 18; ++i) {
        EXPECT_EQ(obstacles[i].x, before[i + 3].x);
        EXPECT_EQ(obstacles[i].z, before[i + 3].z + stepAt(18.0f));
    }
    int next = kFirstRaceDraws;
    expectAppended(3, draws, next);
}

TEST_F(Course, EmptyStreamRefillsFromBaseMinus64) {
    obstacles.clear();
    updateObstacles();
    ASSERT_EQ(obstacles.size(), 18u);
    EXPECT_EQ(obstacles[0].z, -64.0f - static_cast<float>(draws[kFirstRaceDraws] % 6));
    expectBuiltFrom(obstacles[0], &draws[kFirstRaceDraws + 1]);
    int next = kFirstRaceDraws + 6;
    expectAppended(17, draws, next);
}
