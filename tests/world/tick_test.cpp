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

TEST_F(Tick, CrashOnTheNthTickShowsScoreNAndFreezesTheWorld) {
    obstacles[0].x = 0.0f;  // the car's own lane, so the front obstacle must hit it
    int n = 0;
    while (gameState == Playing && n < 1000) {
        tick(0);
        ++n;
    }
    ASSERT_EQ(gameState, GameOver);
    EXPECT_EQ(score, n);
    EXPECT_GT(n, 40);  // the front obstacle starts 17 ahead of the car
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
