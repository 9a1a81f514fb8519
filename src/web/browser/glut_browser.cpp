// glut_browser.cpp: GLUT in the browser. The page's canvas is the window; its events, handed over
// by glut_browser.js, reach the game's handlers. A posted redisplay is drawn at the browser's next
// animation frame, so the 16 ms timer keeps stepping the race while the graphics card (in the
// browser's own process) is still busy with an earlier frame; redisplays posted in between make
// one frame, as GLUT's do. Quitting stops every timer and listener; a lost WebGL context pauses
// the timers until it is restored.
#include <GL/glut.h>
#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>
#include <emscripten/html5_webgl.h>

#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "fixed_function.h"
#include "gpu_webgl.h"
#include "input_log.h"

// Constants

// What the page shows; the numbers are shared with glut_browser.js.
enum PageState { kPageRunning = 0, kPageQuit = 1, kPageNoWebGL = 2, kPageContextLost = 3 };

// Slots of the counters window.velkStats() reads.
enum Counter { kTicks = 0, kFrames = 1, kCounters = 2 };

static const int kWindowId = 1;

// Types

// Where the runtime stands: events are delivered from Running on, nothing after Stopped.
enum class Phase { Starting, Running, ContextLost, Stopped };

using TimerCallback = void (*)(int);

// A one-shot timer waiting in the browser's event loop.
struct Timer {
    TimerCallback func;
    int value;
    long handle;  // from emscripten_set_timeout
    bool armed;
};

// A timer that fired while the context was lost, run once the context is back.
struct HeldTimer {
    TimerCallback func;
    int value;
};

// The game's handlers, as registered.
struct Handlers {
    void (*display)();
    void (*reshape)(int, int);
    void (*keyboard)(unsigned char, int, int);
    void (*keyboardUp)(unsigned char, int, int);
    void (*special)(int, int, int);
    void (*specialUp)(int, int, int);
    void (*mouse)(int, int, int, int);
    void (*passiveMotion)(int, int);
};

// Globals
static Phase phase = Phase::Starting;
static Handlers handlers = {};
static bool redisplayPending = false;
static bool frameRequested = false;  // an animation frame will draw the pending redisplay
static unsigned displayMode = GLUT_RGB;
static int currentCursor = -1;
static std::vector<Timer> timers;  // slots, reused once their timer has fired
static std::vector<HeldTimer> heldTimers;
static int counters[kCounters] = {0, 0};

// Implemented in glut_browser.js.
extern "C" {
void velk_page_open(const char* title, const int* counters);
void velk_page_size(int* width, int* height);
void velk_page_cursor(const char* css);
void velk_page_state(int state);
}

// Static helpers

// Draws the frame the game asked for, at the browser's next animation frame.
static EM_BOOL drawRequestedFrame(double /*time*/, void* /*userData*/) {
    frameRequested = false;
    if (!redisplayPending || phase != Phase::Running)
        return EM_FALSE;
    redisplayPending = false;
    if (handlers.display == nullptr)
        return EM_FALSE;
    ++counters[kFrames];
    handlers.display();
    return EM_FALSE;
}

// Asks the browser for an animation frame when a callback posted a redisplay.
static void finishCallback() {
    if (!redisplayPending || phase != Phase::Running || frameRequested)
        return;
    frameRequested = true;
    emscripten_request_animation_frame(drawRequestedFrame, nullptr);
}

// Hands the client size to the reshape handler (GLUT's default sets the viewport) and redraws.
static void deliverReshape(int width, int height) {
    if (handlers.reshape != nullptr)
        handlers.reshape(width, height);
    else
        glViewport(0, 0, width, height);
    redisplayPending = true;
}

// Runs one timer callback of the game.
static void runTimer(TimerCallback func, int value) {
    ++counters[kTicks];
    func(value);
}

// Called by the browser when a timer is due; user data is the timer's slot.
static void timerFired(void* userData) {
    const size_t slot = reinterpret_cast<uintptr_t>(userData);
    if (slot >= timers.size() || !timers[slot].armed)
        return;
    Timer& timer = timers[slot];
    timer.armed = false;
    if (phase == Phase::ContextLost) {
        heldTimers.push_back(HeldTimer{timer.func, timer.value});
        return;
    }
    if (phase != Phase::Running)
        return;
    runTimer(timer.func, timer.value);
    finishCallback();
}

// A free timer slot, appended when every slot is in use.
static size_t freeTimerSlot() {
    for (size_t i = 0; i < timers.size(); ++i) {
        if (!timers[i].armed)
            return i;
    }
    timers.push_back(Timer{});
    return timers.size() - 1;
}

// Registered with atexit by glutInit: once the game exits, no timer, event or frame runs again
// and the page says how to play again.
static void stopOnExit() {
    if (phase == Phase::Stopped)
        return;
    phase = Phase::Stopped;
    for (Timer& timer : timers) {
        if (timer.armed)
            emscripten_clear_timeout(timer.handle);
        timer.armed = false;
    }
    heldTimers.clear();
    velk_page_state(kPageQuit);
}

// The CSS cursor closest to a GLUT cursor shape.
static const char* cssCursor(int cursor) {
    switch (cursor) {
        case GLUT_CURSOR_INFO:
            return "pointer";
        case GLUT_CURSOR_HELP:
            return "help";
        case GLUT_CURSOR_WAIT:
            return "wait";
        case GLUT_CURSOR_TEXT:
            return "text";
        case GLUT_CURSOR_CROSSHAIR:
        case GLUT_CURSOR_FULL_CROSSHAIR:
            return "crosshair";
        case GLUT_CURSOR_NONE:
            return "none";
        default:
            return "default";
    }
}

// Entry points for glut_browser.js

extern "C" {

EMSCRIPTEN_KEEPALIVE void velk_glut_key(int down, int special, int key, int x, int y) {
    if (phase != Phase::Running && phase != Phase::ContextLost)
        return;
    const int state = down != 0 ? GLUT_DOWN : GLUT_UP;
    if (special != 0) {
        void (*handler)(int, int, int) = down != 0 ? handlers.special : handlers.specialUp;
        if (handler != nullptr) {
            logInput(kInputSpecial, key, state, x, y);
            handler(key, x, y);
        }
    } else {
        void (*handler)(unsigned char, int, int) =
            down != 0 ? handlers.keyboard : handlers.keyboardUp;
        const auto character = static_cast<unsigned char>(key);
        if (handler != nullptr) {
            logInput(kInputKey, character, state, x, y);
            handler(character, x, y);
        }
    }
    finishCallback();
}

EMSCRIPTEN_KEEPALIVE void velk_glut_mouse(int button, int state, int x, int y) {
    if (phase != Phase::Running && phase != Phase::ContextLost)
        return;
    if (handlers.mouse != nullptr) {
        logInput(kInputMouse, button, state, x, y);
        handlers.mouse(button, state, x, y);
    }
    finishCallback();
}

EMSCRIPTEN_KEEPALIVE void velk_glut_passive_motion(int x, int y) {
    if (phase != Phase::Running && phase != Phase::ContextLost)
        return;
    if (handlers.passiveMotion != nullptr) {
        logInput(kInputMotion, 0, -1, x, y);
        handlers.passiveMotion(x, y);
    }
    finishCallback();
}

EMSCRIPTEN_KEEPALIVE void velk_glut_reshape(int width, int height) {
    if (phase != Phase::Running && phase != Phase::ContextLost)
        return;
    deliverReshape(width, height);
    finishCallback();
}

// lost = 1 when the context went away, 0 when the browser restored it.
EMSCRIPTEN_KEEPALIVE void velk_glut_context(int lost) {
    if (phase != Phase::Running && phase != Phase::ContextLost)
        return;
    gpu::forgetResources();
    if (lost != 0) {
        phase = Phase::ContextLost;
        velk_page_state(kPageContextLost);
        return;
    }
    phase = Phase::Running;
    velk_page_state(kPageRunning);
    redisplayPending = true;
    std::vector<HeldTimer> due;
    due.swap(heldTimers);
    for (const HeldTimer& timer : due) {
        if (phase != Phase::Running)
            break;
        runTimer(timer.func, timer.value);
    }
    finishCallback();
}

}  // extern "C"

// Public functions: GLUT

void glutInit(int* /*argcp*/, char** /*argv*/) {
    static bool registered = false;
    if (!registered)
        std::atexit(stopOnExit);
    registered = true;
}

void glutInitDisplayMode(unsigned int mode) {
    displayMode = mode;
}

// The canvas fills the page, so the requested size is not used.
void glutInitWindowSize(int /*width*/, int /*height*/) {}

int glutCreateWindow(const char* title) {
    velk_page_open(title, counters);
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = (displayMode & GLUT_DEPTH) != 0 ? EM_TRUE : EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = (displayMode & GLUT_MULTISAMPLE) != 0 ? EM_TRUE : EM_FALSE;
    attributes.premultipliedAlpha = EM_TRUE;
    attributes.preserveDrawingBuffer = EM_FALSE;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    attributes.enableExtensionsByDefault = EM_FALSE;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context =
        emscripten_webgl_create_context("#canvas", &attributes);
    if (context <= 0) {
        // As freeglut does without an OpenGL context: say so and end the program.
        phase = Phase::Stopped;
        velk_page_state(kPageNoWebGL);
        std::exit(1);
    }
    emscripten_webgl_make_context_current(context);
    return kWindowId;
}

void glutDisplayFunc(void (*callback)()) {
    handlers.display = callback;
}

void glutReshapeFunc(void (*callback)(int, int)) {
    handlers.reshape = callback;
}

void glutKeyboardFunc(void (*callback)(unsigned char, int, int)) {
    handlers.keyboard = callback;
}

void glutKeyboardUpFunc(void (*callback)(unsigned char, int, int)) {
    handlers.keyboardUp = callback;
}

void glutSpecialFunc(void (*callback)(int, int, int)) {
    handlers.special = callback;
}

void glutSpecialUpFunc(void (*callback)(int, int, int)) {
    handlers.specialUp = callback;
}

void glutMouseFunc(void (*callback)(int, int, int, int)) {
    handlers.mouse = callback;
}

void glutPassiveMotionFunc(void (*callback)(int, int)) {
    handlers.passiveMotion = callback;
}

void glutTimerFunc(unsigned int msecs, void (*callback)(int), int value) {
    if (callback == nullptr || phase == Phase::Stopped)
        return;
    const size_t slot = freeTimerSlot();
    Timer& timer = timers[slot];
    timer.func = callback;
    timer.value = value;
    timer.armed = true;
    timer.handle = emscripten_set_timeout(timerFired, static_cast<double>(msecs),
                                          reinterpret_cast<void*>(static_cast<uintptr_t>(slot)));
}

void glutPostRedisplay() {
    redisplayPending = true;
}

// The drawing buffer is presented when the browser task ends; everything drawn must be in it.
void glutSwapBuffers() {
    ffFlush();
    gpu::finishFrame();
}

void glutSetCursor(int cursor) {
    if (cursor == currentCursor)
        return;
    currentCursor = cursor;
    velk_page_cursor(cssCursor(cursor));
}

// Shows the first frame at the page's size, then returns to the browser for good: from here on
// the browser's event loop runs the game, and main never returns.
void glutMainLoop() {
    if (phase != Phase::Starting)
        return;
    phase = Phase::Running;
    int width = 0;
    int height = 0;
    velk_page_size(&width, &height);
    deliverReshape(width, height);
    finishCallback();
    emscripten_exit_with_live_runtime();
}
