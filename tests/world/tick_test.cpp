// tick_test.cpp: the timer handler paces every state, races only in Playing, ends on a crash.
#include <climits>

#include "race_fixture.h"

using Tick = RaceTest;

// Checks that the last tick asked for one redraw, then re-armed itself for 16 ms with value 0.
static void expectRedrawThenRearm() {
    ASSERT_EQ(fakegl::calls.size(), 2u);
    EXPECT_EQ(fakegl::calls[0].name, "glutPostRedisplay");
    EXPECT_EQ(fakegl::calls[1].name, "glutTimerFunc");
    EXPECT_EQ(fakegl::calls[1].args, (std::vector<double>{16, 0}));
    EXPECT_EQ(fakegl::timerCallback, &tick);
}

TEST_F(Tick, EveryStateRedrawsAndRearmsButOnlyPlayingAdvances) {
    car.x = kBetweenLanes;
    for (GameState state : {Menu, GameOver, Playing}) {
        gameState = state;
        const WorldSnapshot before;
        fakegl::reset();
        fakegl::timerCallback = nullptr;
        tick(0);
        expectRedrawThenRearm();
        EXPECT_EQ(gameState, state);
        EXPECT_EQ(WorldSnapshot() == before, state != Playing) << state;
    }
    EXPECT_EQ(score, 1);
}

// The first course with no key held: the car stays at x 0 and speed 18, the world moves 0.288 a
// step. Worked out apart from the game (glibc rand after srand(12345) and the 210 tree draws,
// float32 sums): obstacles 0 and 1 take the left lane; obstacle 2, at z -43 and 0.95 deep, is
// the first in the car's lane and collides once its z passes 2 - 1.4325 = 0.5675, which
// -43 + 152 * 0.288 = 0.776 does and -43 + 151 * 0.288 = 0.488 does not.
const int kFirstCourseCrashStep = 152;

TEST_F(Tick, FirstCourseLeftAloneCrashesOnItsKnownStepAndFreezesTheWorld) {
    int n = 0;
    while (gameState == Playing && n < 1000) {
        tick(0);
        ++n;
    }
    ASSERT_EQ(gameState, GameOver);
    EXPECT_EQ(n, kFirstCourseCrashStep);  // tested after the stream has moved, not before
    EXPECT_EQ(score, n);
    const WorldSnapshot frozen;
    for (int i = 0; i < 5; ++i) {
        fakegl::reset();
        tick(0);
        expectRedrawThenRearm();
    }
    EXPECT_TRUE(WorldSnapshot() == frozen);
    EXPECT_EQ(gameState, GameOver);
}

TEST_F(Tick, ScoreSaturatesInsteadOfOverflowing) {
    car.x = kBetweenLanes;
    score = INT_MAX - 1;
    tick(0);
    tick(0);
    EXPECT_EQ(score, INT_MAX);
    EXPECT_EQ(gameState, Playing);
}
