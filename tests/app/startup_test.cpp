// startup_test.cpp: the state the game is in at launch, before any race has been set up.
// A binary of its own, so that no other test has touched the globals yet.
#include <gtest/gtest.h>

#include "shell.h"
#include "world.h"

// Checks the car is still at the origin with every field zero, as no race has been set up.
static void expectCarAllZero() {
    EXPECT_EQ(car.x, 0.0f);
    EXPECT_EQ(car.y, 0.0f);
    EXPECT_EQ(car.z, 0.0f);
    EXPECT_EQ(car.speed, 0.0f);
    EXPECT_EQ(car.steerAngle, 0.0f);
}

TEST(Startup, TitleScreenWithNoRaceUntilStartGame) {
    EXPECT_EQ(gameState, Menu);
    EXPECT_TRUE(obstacles.empty());
    EXPECT_TRUE(trees.empty());
    EXPECT_TRUE(menuButtons.empty() && gameOverButtons.empty());
    expectCarAllZero();
    EXPECT_FALSE(controls.brake || controls.accelerate || controls.steerRight ||
                 controls.steerLeft);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(roadOffset, 0.0f);
    EXPECT_EQ(windowWidth, 800);
    EXPECT_EQ(windowHeight, 600);

    initGraphics();  // the window set-up fills the trees and buttons but starts no race
    EXPECT_EQ(trees.size(), 70u);
    EXPECT_EQ(menuButtons.size(), 2u);
    EXPECT_EQ(gameState, Menu);
    EXPECT_TRUE(obstacles.empty());
    expectCarAllZero();
}
