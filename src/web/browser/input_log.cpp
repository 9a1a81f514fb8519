// input_log.cpp: a ring of the last input events GLUT delivered to the game's handlers.
#include "input_log.h"

#include <emscripten.h>

// Constants

// Records kept; a power of two, so that the ring stays in step when the count wraps around.
static const unsigned kCapacity = 64;

// Types

// One delivery, as logInput received it.
struct InputRecord {
    int kind;
    int code;
    int state;
    int x;
    int y;
};

// The layout glut_browser.js reads: deliveries so far, the capacity, then the ring.
struct InputLog {
    unsigned count;
    unsigned capacity;
    InputRecord records[kCapacity];
};

// Globals
static InputLog inputLog = {0, kCapacity, {}};

// Public functions

void logInput(InputKind kind, int code, int state, int x, int y) {
    inputLog.records[inputLog.count % kCapacity] = InputRecord{kind, code, state, x, y};
    ++inputLog.count;
}

extern "C" EMSCRIPTEN_KEEPALIVE const void* velk_input_log() {
    return &inputLog;
}
