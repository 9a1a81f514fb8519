// menu.h: the two button menus, their hit test and the mouse handlers.
#pragma once

#include "world.h"

// Rebuilds both button arrays for the current window size, centred on the window.
void layoutButtons();

// True when window point (x, y) lies on or inside the button; all four edges count.
bool pointInButton(int x, int y, const Button& button);

// GLUT mouse handler: left-button presses on the buttons of the title and crash screens.
void mouseButton(int button, int state, int x, int y);

// GLUT passive-motion handler: pointing hand over a button, arrow elsewhere.
void mouseMove(int x, int y);
