// frame.h: one whole frame per redisplay: camera, world, car and the 2D overlay.
#pragma once

#include "world.h"

// GLUT display handler: draws the frame for the current screen and swaps buffers.
void display();

// White bitmap text with its baseline's left end at window pixel (x, y), top-left origin.
void drawText(int x, int y, const char* text);

// A filled, outlined button with its label centred on it.
void drawButton(const Button& button);
