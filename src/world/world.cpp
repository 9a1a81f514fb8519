// world.cpp: the one definition of every global of the game.
#include "world.h"

// Constants
static const int kStartWidth = 800;  // the window size main asks for, until the first reshape
static const int kStartHeight = 600;

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
int windowWidth = kStartWidth;
int windowHeight = kStartHeight;
