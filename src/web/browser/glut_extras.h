// glut_extras.h: GLUT numbers that the desktop's freeglut delivers and Emscripten's glut.h does not
// name: freeglut's extra special keys (its freeglut_ext.h values), which the page delivers as the
// desktop does, and the buttons freeglut reports a turn of the mouse wheel as.
#pragma once

#include <GL/glut.h>

#ifndef GLUT_KEY_NUM_LOCK
#define GLUT_KEY_NUM_LOCK 0x006D
#define GLUT_KEY_SHIFT_L 0x0070
#define GLUT_KEY_SHIFT_R 0x0071
#define GLUT_KEY_CTRL_L 0x0072
#define GLUT_KEY_CTRL_R 0x0073
#define GLUT_KEY_ALT_L 0x0074
#define GLUT_KEY_ALT_R 0x0075
#endif

// Constants

// One step of the wheel away from the player, and towards: a press and release of these buttons.
constexpr int kWheelUpButton = 3;
constexpr int kWheelDownButton = 4;
