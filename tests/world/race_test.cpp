// race_test.cpp: speed, steering, scenery and collision rules of one racing step.
#include <random>

#include "race_fixture.h"

using Race = RaceTest;

// Held controls, in the record's field order.
static ControlState held(bool brake, bool accelerate, bool right, bool left) {
    return ControlState{brake, accelerate, right, left};
}

TEST_F(Race, OneStepFollowsControlPrecedenceAndClamps) {
    struct Row {
        float speed, x;
        ControlState controls;
        float speedAfter, xAfter, angleAfter;
    };
    const Row rows[] = {
        {18, 0, held(0, 0, 0, 0), 18, 0, 0},
        {18, 0, held(1, 0, 0, 0), 17.872f, 0, 0},
        {18, 0, held(0, 1, 0, 0), 18.128f, 0, 0},
        {18, 0, held(1, 1, 0, 0), 18.128f, 0, 0},
        {18, 0, held(0, 0, 1, 0), 18, 0.112f, -12},
        {18, 0, held(0, 0, 0, 1), 18, -0.112f, 12},
        {18, 0, held(0, 0, 1, 1), 18, -0.112f, 12},
        {18, 0, held(1, 1, 1, 1), 18.128f, -0.1128f, 12},
        {8, 0, held(1, 0, 1, 0), 8, 0.0498f, -12},
        {42, 0, held(0, 1, 1, 0), 42, 0.2613f, -12},
        {8.05f, 0, held(1, 0, 0, 0), 8, 0, 0},
        {41.95f, 0, held(0, 1, 0, 0), 42, 0, 0},
        {18, 2.6f, held(0, 0, 1, 0), 18, 2.6f, -12},
        {18, 2.55f, held(0, 0, 1, 0), 18, 2.6f, -12},
        {18, -2.6f, held(0, 0, 0, 1), 18, -2.6f, 12},
        {18, -2.5f, held(0, 0, 1, 1), 18, -2.6f, 12},
    };
    for (const Row& row : rows) {
        freshRace();
        car.speed = row.speed;
        car.x = row.x;
        car.steerAngle = 5.0f;  // any earlier angle is replaced every tick
        controls = row.controls;
        advanceRace();
        SCOPED_TRACE(testing::Message() << "from speed " << row.speed << ", x " << row.x);
        EXPECT_NEAR(car.speed, row.speedAfter, 1e-5);
        EXPECT_NEAR(car.x, row.xAfter, 1e-4);
        EXPECT_EQ(car.steerAngle, row.angleAfter);
        EXPECT_EQ(roadOffset, stepAt(car.speed));  // the step uses the clamped speed
    }
}

TEST_F(Race, LimitsAreReachedOnTheStatedTick) {
    const struct {
        ControlState controls;
        float limit;
        int tick;
    } rows[] = {{held(0, 1, 0, 0), 42.0f, 188}, {held(1, 0, 0, 0), 8.0f, 79}};
    for (const auto& row : rows) {
        freshRace();
        car.x = kBetweenLanes;
        controls = row.controls;
        int reachedOn = 0;
        for (int n = 1; n <= 300 && reachedOn == 0; ++n) {
            advanceRace();
            if (car.speed == row.limit)
                reachedOn = n;
        }
        EXPECT_EQ(reachedOn, row.tick);
    }
}

TEST_F(Race, DriftCrossesCruisingSpeedInsteadOfSnappingToIt) {
    car.x = kBetweenLanes;
    for (int i = 0; i < 50; ++i) advanceRace();
    EXPECT_EQ(car.speed, 18.0f);
    controls.accelerate = true;
    advanceRace();
    controls.accelerate = false;
    const float expected[] = {18.0928f, 18.0576f, 18.0224f, 17.9872f, 18.0224f,
                              17.9872f, 18.0224f, 17.9872f, 18.0224f, 17.9872f};
    for (float speed : expected) {
        advanceRace();
        EXPECT_NEAR(car.speed, speed, 1e-4);
    }
}

TEST_F(Race, RoadAndTreesWrapOnlyPastTheirLines) {
    car.x = kBetweenLanes;
    const float step = stepAt(18.0f);
    roadOffset = landingOn(400.0f, step);
    trees[0].z = landingOn(20.0f, step);
    trees[1].z = 19.9f;
    ASSERT_EQ(roadOffset + step, 400.0f);
    advanceRace();
    EXPECT_EQ(roadOffset, 400.0f);
    EXPECT_EQ(trees[0].z, 20.0f);
    EXPECT_NEAR(trees[1].z, 19.9f + 0.288f - 370.0f, 1e-4);
    advanceRace();
    EXPECT_NEAR(roadOffset, 0.288f, 1e-4);
    EXPECT_NEAR(trees[0].z, 20.288f - 370.0f, 1e-4);
}

TEST_F(Race, CollisionNeedsStrictOverlapAcrossAndAlong) {
    // Footprint (width, depth) and how far from its centre it reaches the car, across and along.
    const float footprints[][4] = {{0.7f, 0.95f, 0.795f, 1.4325f}, {0.95f, 0.7f, 0.8825f, 1.345f}};
    for (const auto& f : footprints) {
        obstacles.assign(1, Obstacle{0.0f, 0.25f, 0.0f, f[0], 0.5f, f[1], Box});
        const float rows[][3] = {{f[2], 0, false},
                                 {std::nextafter(f[2], 0.0f), 0, true},
                                 {0, -f[3], false},
                                 {0, std::nextafter(-f[3], 0.0f), true}};
        for (const auto& row : rows) {
            car.x = row[0];
            car.z = row[1];
            EXPECT_EQ(checkCollision(), row[2] != 0) << f[0] << " " << row[0] << " " << row[1];
        }
    }
    // Wide obstacles level with the car in the left and middle lanes: the gaps between lanes and
    // the empty right lane are safe.
    obstacles.clear();
    car.z = 2.0f;
    EXPECT_FALSE(checkCollision());
    for (float lane : {-2.0f, 0.0f}) obstacles.push_back({lane, 0.4f, 2, 0.95f, 0.8f, 0.95f, Box});
    for (float x : {-2.6f, -1.0f, 0.0f, 1.0f, 2.6f}) {
        car.x = x;
        EXPECT_EQ(checkCollision(), x == -2.6f || x == 0.0f) << x;
    }
}

TEST_F(Race, InvariantsHoldThroughManyRandomRaces) {
    std::mt19937 rng(7);
    int races = 1;
    for (int t = 0; t < 60000; ++t) {
        if (t % 8 == 0) {
            const unsigned bits = rng();
            controls = held(bits & 1, bits & 2, bits & 4, bits & 8);
        }
        advanceRace();
        ASSERT_EQ(checks::raceViolation(true), nullptr) << "tick " << t;
        if (gameState == GameOver) {
            gameState = Playing;
            resetRace();
            ++races;
        }
    }
    EXPECT_GT(races, 20);  // the controls really drove into obstacles
}
