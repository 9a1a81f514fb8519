// input_log.cpp: a ring of the last input events GLUT delivered to the game's handlers.
#include "input_log.h"

#include <emscripten.h>

// Globals
static InputLog inputLog = {0, kInputCapacity, {}};

// Public functions

void logInput(InputKind kind, int code, int state, int x, int y) {
    inputLog.records[inputLog.count % kInputCapacity] = InputRecord{kind, code, state, x, y};
    ++inputLog.count;
}

extern "C" EMSCRIPTEN_KEEPALIVE const void* velk_input_log() {
    return &inputLog;
}
