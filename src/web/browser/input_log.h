// input_log.h: the last input events GLUT delivered to the game's handlers, kept so that the
// page's tests can see what the game heard (glut_browser.js reads them for window.velkInput(), in
// the layout below, which make_page_numbers.cpp hands to it).
#pragma once

// Constants

// What a record is.
enum InputKind { kInputKey = 0, kInputSpecial = 1, kInputMouse = 2, kInputMotion = 3 };

// Records kept; a power of two, so that the ring stays in step when the count wraps around.
constexpr unsigned kInputCapacity = 64;

// Types

// One delivery, as logInput received it.
struct InputRecord {
    int kind;  // an InputKind
    int code;
    int state;
    int x;
    int y;
};

// The log: deliveries so far, the capacity, then the ring.
struct InputLog {
    unsigned count;
    unsigned capacity;
    InputRecord records[kInputCapacity];
};

// Public functions

// Notes one delivery: the key or button (0 for motion), GLUT_DOWN or GLUT_UP (-1 for motion) and
// the pointer position handed to the handler.
void logInput(InputKind kind, int code, int state, int x, int y);
