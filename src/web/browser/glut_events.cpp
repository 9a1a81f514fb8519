// glut_events.cpp: the page's events, handed over by glut_browser.js, delivered to the game's
// handlers as GLUT delivers them: keys, mouse buttons, pointer motion, resizes, and the loss and
// return of the WebGL context.
#include <emscripten.h>

#include "glut_runtime.h"
#include "gpu_webgl.h"

// Static helpers

// Events reach the game from the start of the main loop until it ends, the context lost or not.
static bool delivering() {
    return runtime.phase == Phase::Running || runtime.phase == Phase::ContextLost;
}

// Public functions: entry points for glut_browser.js

extern "C" {

EMSCRIPTEN_KEEPALIVE void velk_glut_key(int down, int special, int key, int x, int y) {
    if (!delivering())
        return;
    const Handlers& h = runtime.handlers;
    if (special != 0) {
        void (*handler)(int, int, int) = down != 0 ? h.special : h.specialUp;
        if (handler != nullptr)
            handler(key, x, y);
    } else {
        void (*handler)(unsigned char, int, int) = down != 0 ? h.keyboard : h.keyboardUp;
        if (handler != nullptr)
            handler(static_cast<unsigned char>(key), x, y);
    }
    finishCallback();
}

EMSCRIPTEN_KEEPALIVE void velk_glut_mouse(int button, int state, int x, int y) {
    if (!delivering())
        return;
    if (runtime.handlers.mouse != nullptr)
        runtime.handlers.mouse(button, state, x, y);
    finishCallback();
}

EMSCRIPTEN_KEEPALIVE void velk_glut_passive_motion(int x, int y) {
    if (!delivering())
        return;
    if (runtime.handlers.passiveMotion != nullptr)
        runtime.handlers.passiveMotion(x, y);
    finishCallback();
}

EMSCRIPTEN_KEEPALIVE void velk_glut_reshape(int width, int height) {
    if (!delivering())
        return;
    deliverReshape(width, height);
    finishCallback();
}

// lost = 1 when the context went away, 0 when the browser restored it.
EMSCRIPTEN_KEEPALIVE void velk_glut_context(int lost) {
    if (!delivering())
        return;
    gpu::forgetResources();
    if (lost != 0) {
        runtime.phase = Phase::ContextLost;
        velk_page_state(kPageContextLost);
        return;
    }
    runtime.phase = Phase::Running;
    velk_page_state(kPageRunning);
    runtime.redisplayPending = true;
    runHeldTimers();
    finishCallback();
}

}  // extern "C"
