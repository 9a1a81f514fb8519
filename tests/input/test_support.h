// test_support.h: whole-world snapshots, fresh game set-ups and the guard against silent exits.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "world.h"

// Every global of the game, copied so that two moments can be compared byte for byte.
struct WorldSnapshot {
    GameState state;
    Car car;
    ControlState controls;
    std::vector<Obstacle> obstacles;
    std::vector<Tree> trees;
    std::vector<Button> menuButtons;
    std::vector<Button> gameOverButtons;
    float roadOffset;
    int score;
    int windowWidth;
    int windowHeight;

    static WorldSnapshot capture();
};

bool operator==(const WorldSnapshot& a, const WorldSnapshot& b);

// The world as start-up leaves it at 800 x 600: trees planted, buttons laid out, no race yet.
void startUp();

// A finished start-up followed by a fresh race, shown in the given state.
void startRaceIn(GameState state);

// How many times the test program has allocated memory with new, so far.
extern std::size_t allocationCount;

// Lets the next exit of this process pass as intended; any other exit fails the run.
void allowExit();

// Expects the statement to end the program with exit status 0.
#define EXPECT_QUITS(statement) \
    EXPECT_EXIT(                \
        {                       \
            allowExit();        \
            statement;          \
        },                      \
        ::testing::ExitedWithCode(0), "")
