// test_support.h: the input tests' allocation counter and their guard against silent exits.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>

#include "fresh_game.h"
#include "world_checks.h"

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
