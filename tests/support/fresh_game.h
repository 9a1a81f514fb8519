// fresh_game.h: the world as start-up leaves it, and a fresh race behind any screen.
#pragma once

#include "course.h"
#include "fake_gl.h"
#include "menu.h"
#include "world.h"

// Start-up at width x height: Menu, trees planted, buttons laid out, no race; calls forgotten.
inline void startUp(int width = 800, int height = 600) {
    gameState = Menu;
    car = Car{};
    controls = ControlState{};
    obstacles.clear();
    roadOffset = 0.0f;
    score = 0;
    windowWidth = width;
    windowHeight = height;
    generateTrees();
    layoutButtons();
    fakegl::reset();
}

// A start-up followed by a new race, shown in the given state.
inline void startRaceIn(GameState state, int width = 800, int height = 600) {
    startUp(width, height);
    resetRace();
    gameState = state;
}
