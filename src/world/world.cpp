// world.cpp: the one definition of every global of the game.
#include "world.h"

#include "shared_constants.h"

GameState gameState = Menu;
Car car = {};
ControlState controls = {};

// Defined in this order so that they are created obstacles first and released obstacles last.
std::vector<Obstacle> obstacles;
std::vector<Tree> trees;
std::vector<Button> menuButtons;
std::vector<Button> gameOverButtons;

float roadOffset = 0.0f;
int score = 0;
int windowWidth = kStartWindowWidth;
int windowHeight = kStartWindowHeight;
