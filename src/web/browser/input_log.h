// input_log.h: the last input events GLUT delivered to the game's handlers, kept so that the
// page's tests can see what the game heard (glut_browser.js reads them for window.velkInput()).
#pragma once

// Constants

// What a record is; the numbers are shared with glut_browser.js.
enum InputKind { kInputKey = 0, kInputSpecial = 1, kInputMouse = 2, kInputMotion = 3 };

// Public functions

// Notes one delivery: the key or button (0 for motion), GLUT_DOWN or GLUT_UP (-1 for motion) and
// the pointer position handed to the handler.
void logInput(InputKind kind, int code, int state, int x, int y);
