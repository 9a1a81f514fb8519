// glut_browser.cpp: GLUT in the browser. The page's canvas is the window; its events, handed over
// by glut_browser.js, reach the game's handlers (glut_events.cpp). A posted redisplay is drawn at
// the browser's next animation frame, so the 16 ms timer (glut_timers.cpp) keeps stepping the race
// while the graphics card (in the browser's own process) is still busy with an earlier frame;
// redisplays posted in between make one frame, as GLUT's do. Quitting stops every timer and
// listener; a lost WebGL context pauses the timers until it is restored.
#include <GL/glut.h>
#include <emscripten.h>
#include <emscripten/html5.h>
#include <emscripten/html5_webgl.h>
#include <webgl/webgl1.h>

#include <algorithm>
#include <cstdlib>

#include "fixed_function.h"
#include "glut_runtime.h"
#include "gpu_webgl.h"
#include "unsupported.h"

// Constants

static const int kWindowId = 1;
// The display mode bits the window honours; GLUT_RGB and GLUT_SINGLE are 0.
static const unsigned kDisplayModes = GLUT_DOUBLE | GLUT_DEPTH | GLUT_MULTISAMPLE;

// Types

// The window's settings.
struct Window {
    unsigned displayMode = GLUT_RGB;  // glutInitDisplayMode's
    int cursor = -1;                  // the GLUT cursor shown, -1 before the first
};

// Globals

Runtime runtime;
static Window window;

// Static helpers

// The longest side the current context can draw into: its viewport and renderbuffer limits.
static int drawingBufferLimit() {
    GLint viewportDims[2] = {0, 0};
    GLint renderbuffer = 0;
    emscripten_glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewportDims);
    emscripten_glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    return std::min({viewportDims[0], viewportDims[1], renderbuffer});
}

// Draws the frame the game asked for, at the browser's next animation frame.
static EM_BOOL drawRequestedFrame(double /*time*/, void* /*userData*/) {
    runtime.frameRequested = false;
    if (!runtime.redisplayPending || runtime.phase != Phase::Running)
        return EM_FALSE;
    velk_page_frame();
    runtime.redisplayPending = false;
    if (runtime.handlers.display == nullptr)
        return EM_FALSE;
    ++runtime.counters[kFrames];
    runtime.handlers.display();
    return EM_FALSE;
}

// Registered with atexit by glutInit: once the game exits, no timer, event or frame runs again
// and the page says how to play again.
static void stopOnExit() {
    if (runtime.phase == Phase::Stopped)
        return;
    runtime.phase = Phase::Stopped;
    stopTimers();
    velk_page_state(kPageQuit);
}

// The CSS cursor closest to a GLUT cursor shape, or nullptr for a shape without one here.
static const char* cssCursor(int cursor) {
    switch (cursor) {
        case GLUT_CURSOR_LEFT_ARROW:
        case GLUT_CURSOR_INHERIT:
            return "default";
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
            return nullptr;
    }
}

// Public functions

void finishCallback() {
    if (!runtime.redisplayPending || runtime.phase != Phase::Running || runtime.frameRequested)
        return;
    runtime.frameRequested = true;
    emscripten_request_animation_frame(drawRequestedFrame, nullptr);
}

void deliverReshape(int width, int height) {
    // The drawing buffer keeps at least one pixel each way (glut_browser.js).
    ff::setFramebufferSize(std::max(width, 1), std::max(height, 1));
    if (runtime.handlers.reshape != nullptr)
        runtime.handlers.reshape(width, height);
    else
        glViewport(0, 0, width, height);
    runtime.redisplayPending = true;
}

// GLUT

void glutInit(int* /*argcp*/, char** /*argv*/) {
    static bool registered = false;
    if (!registered)
        std::atexit(stopOnExit);
    registered = true;
}

void glutInitDisplayMode(unsigned int mode) {
    if ((mode & ~kDisplayModes) != 0)
        unsupported::report("glutInitDisplayMode", mode & ~kDisplayModes, "left out");
    window.displayMode = mode;
}

// The canvas fills the page, so the requested size is not used.
void glutInitWindowSize(int /*width*/, int /*height*/) {}

int glutCreateWindow(const char* title) {
    velk_page_open(title, runtime.counters);
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = (window.displayMode & GLUT_DEPTH) != 0 ? EM_TRUE : EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = (window.displayMode & GLUT_MULTISAMPLE) != 0 ? EM_TRUE : EM_FALSE;
    attributes.premultipliedAlpha = EM_TRUE;
    attributes.preserveDrawingBuffer = EM_FALSE;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    attributes.enableExtensionsByDefault = EM_FALSE;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context =
        emscripten_webgl_create_context("#canvas", &attributes);
    if (context <= 0) {
        // As freeglut does without an OpenGL context: say so and end the program.
        runtime.phase = Phase::Stopped;
        velk_page_state(kPageNoWebGL);
        std::exit(1);
    }
    emscripten_webgl_make_context_current(context);
    velk_page_limit(drawingBufferLimit());
    return kWindowId;
}

void glutDisplayFunc(void (*callback)()) {
    runtime.handlers.display = callback;
}

void glutReshapeFunc(void (*callback)(int, int)) {
    runtime.handlers.reshape = callback;
}

void glutKeyboardFunc(void (*callback)(unsigned char, int, int)) {
    runtime.handlers.keyboard = callback;
}

void glutKeyboardUpFunc(void (*callback)(unsigned char, int, int)) {
    runtime.handlers.keyboardUp = callback;
}

void glutSpecialFunc(void (*callback)(int, int, int)) {
    runtime.handlers.special = callback;
}

void glutSpecialUpFunc(void (*callback)(int, int, int)) {
    runtime.handlers.specialUp = callback;
}

void glutMouseFunc(void (*callback)(int, int, int, int)) {
    runtime.handlers.mouse = callback;
}

void glutPassiveMotionFunc(void (*callback)(int, int)) {
    runtime.handlers.passiveMotion = callback;
}

void glutPostRedisplay() {
    runtime.redisplayPending = true;
}

// The drawing buffer is presented when the browser task ends; everything drawn must be in it.
void glutSwapBuffers() {
    ffFlush();
    gpu::finishFrame();
}

void glutSetCursor(int cursor) {
    if (cursor == window.cursor)
        return;
    window.cursor = cursor;
    const char* css = cssCursor(cursor);
    if (css == nullptr) {
        unsupported::report("glutSetCursor", static_cast<unsigned>(cursor), "shown as the arrow");
        css = "default";
    }
    velk_page_cursor(css);
}

// Shows the first frame at the page's size, then returns to the browser for good: from here on
// the browser's event loop runs the game, and main never returns.
void glutMainLoop() {
    if (runtime.phase != Phase::Starting)
        return;
    runtime.phase = Phase::Running;
    int width = 0;
    int height = 0;
    velk_page_size(&width, &height);
    deliverReshape(width, height);
    finishCallback();
    emscripten_exit_with_live_runtime();
}
