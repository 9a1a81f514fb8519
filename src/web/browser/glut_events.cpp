// glut_events.cpp: the page's events, handed over by glut_browser.js, delivered to the game's
// handlers as GLUT delivers them: keys, mouse buttons, pointer motion, resizes, and the loss and
// return of the WebGL context.
#include <GL/glut.h>
#include <emscripten.h>

#include "fixed_function.h"
#include "frame_repeat.h"
#include "glut_runtime.h"
#include "gpu_webgl.h"
#include "input_log.h"

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
    const int state = down != 0 ? GLUT_DOWN : GLUT_UP;
    if (special != 0) {
        void (*handler)(int, int, int) = down != 0 ? h.special : h.specialUp;
        if (handler != nullptr) {
            logInput(kInputSpecial, key, state, x, y);
            handler(key, x, y);
        }
    } else {
        void (*handler)(unsigned char, int, int) = down != 0 ? h.keyboard : h.keyboardUp;
        const auto character = static_cast<unsigned char>(key);
        if (handler != nullptr) {
            logInput(kInputKey, character, state, x, y);
            handler(character, x, y);
        }
    }
    finishCallback();
}

EMSCRIPTEN_KEEPALIVE void velk_glut_mouse(int button, int state, int x, int y) {
    if (!delivering())
        return;
    if (runtime.handlers.mouse != nullptr) {
        logInput(kInputMouse, button, state, x, y);
        runtime.handlers.mouse(button, state, x, y);
    }
    finishCallback();
}

EMSCRIPTEN_KEEPALIVE void velk_glut_passive_motion(int x, int y) {
    if (!delivering())
        return;
    if (runtime.handlers.passiveMotion != nullptr) {
        logInput(kInputMotion, 0, -1, x, y);
        runtime.handlers.passiveMotion(x, y);
    }
    finishCallback();
}

EMSCRIPTEN_KEEPALIVE void velk_glut_reshape(int width, int height) {
    gpu::forgetLastFrame();  // a canvas given a new size is blank until drawn again
    if (!delivering())
        return;
    deliverReshape(width, height);
    finishCallback();
}

// The canvas's drawing buffer changed its device pixels per window pixel (another screen, the
// browser's zoom): drawn anew at the new scale. Set before the game's loop as well, since the
// page sizes its canvas before the first reshape.
EMSCRIPTEN_KEEPALIVE void velk_glut_scale(double across, double up) {
    ff::setDeviceScale(across, up);
    gpu::forgetLastFrame();  // a drawing buffer given new pixels is blank until drawn again
    if (!delivering())
        return;
    runtime.redisplayPending = true;
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
