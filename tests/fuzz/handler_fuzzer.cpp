// handler_fuzzer.cpp: turns arbitrary bytes into a stream of GLUT events for the game's own
// handlers (keys, arrows, mouse, motion, resizes, timer ticks, redraws) against the recording GL
// fake, and traps as soon as the world or a frame breaks what must always hold.
// A frame emits some 90 000 vertices and normals; the link routes glVertex3f, glNormal3f,
// glBegin and glEnd through the checks below (--wrap), so those are verified on the spot
// instead of recorded, which keeps the search fast. Every other GL call is recorded as usual.
// Every input is one run of the program from start-up, so any finding replays on its own.
#include <GL/glut.h>
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fake_gl.h"
#include "frame.h"
#include "keyboard.h"
#include "menu.h"
#include "race.h"
#include "shared_constants.h"
#include "shell.h"
#include "world.h"
#include "world_checks.h"

// Constants
static const unsigned char kEscape = 27;
static const int kMaxWindowSide = 16384;
static const int kMaxTicksPerEvent = 128;
static const int kMaxFramesPerInput = 16;  // bounds the time one input can take
static const int kAimSlack = 3;            // aimed pointers land up to 3 pixels around a button

// Types

// One kind of event the harness can deliver; one input byte picks it.
enum EventKind : int {
    KeyDown,
    KeyUp,
    SpecialDown,
    SpecialUp,
    MouseButton,
    PassiveMotion,
    Reshape,
    Ticks,
    Display,
    EventKindCount,
};

// What the harness remembers between events to judge the next one.
struct Shadow {
    bool raceLaidOut;  // a click has reset the race at least once
    bool treesMoved;   // a racing tick has moved the trees at least once
    int raceTicks;     // racing ticks since the last reset
    int frames;        // frames drawn for this input
};

struct Point {
    int x;
    int y;
};

// The geometry of the frame being drawn, checked call by call.
struct Geometry {
    bool open;          // between glBegin and glEnd
    const char* fault;  // the first fault seen in this frame, or null
};

// Globals
static Shadow shadow;
static Geometry geometry;

extern "C" void __real_glBegin(GLenum mode);
extern "C" void __real_glEnd();

// Static helpers

static void noteFault(bool holds, const char* what) {
    if (!holds && geometry.fault == nullptr)
        geometry.fault = what;
}

// Reports the broken invariant and stops the fuzzer on the spot with a crash it records.
[[noreturn]] static void fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    __builtin_trap();
}

static void require(bool holds, const char* what) {
    if (!holds)
        fail(what);
}

static bool sameControls(const ControlState& a, const ControlState& b) {
    return a.brake == b.brake && a.accelerate == b.accelerate && a.steerRight == b.steerRight &&
           a.steerLeft == b.steerLeft;
}

// True when every flag set in after was already set in before.
static bool noFlagRaised(const ControlState& before, const ControlState& after) {
    return (before.brake || !after.brake) && (before.accelerate || !after.accelerate) &&
           (before.steerRight || !after.steerRight) && (before.steerLeft || !after.steerLeft);
}

// Puts every global back to its value before main and starts the program as main does.
static void startProgram() {
    gameState = Menu;
    car = Car{};
    controls = ControlState{};
    obstacles.clear();
    trees.clear();
    menuButtons.clear();
    gameOverButtons.clear();
    roadOffset = 0.0f;
    score = 0;
    windowWidth = kStartWindowWidth;
    windowHeight = kStartWindowHeight;
    shadow = Shadow{};
    fakegl::reset();
    initGraphics();
}

// A pointer position: either any int pair, or one aimed on and around a button of either menu.
static Point consumePoint(FuzzedDataProvider& in) {
    const std::vector<Button>& buttons = in.ConsumeBool() ? menuButtons : gameOverButtons;
    if (!in.ConsumeBool() || buttons.empty())
        return Point{in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>()};
    const Button& b = buttons[in.ConsumeIntegralInRange<size_t>(0, buttons.size() - 1)];
    const int dx =
        in.ConsumeIntegralInRange<int>(-kAimSlack, static_cast<int>(b.width) + kAimSlack);
    const int dy =
        in.ConsumeIntegralInRange<int>(-kAimSlack, static_cast<int>(b.height) + kAimSlack);
    return Point{static_cast<int>(std::floor(b.x)) + dx, static_cast<int>(std::floor(b.y)) + dy};
}

static void deliverMouseButton(FuzzedDataProvider& in) {
    const int button = in.ConsumeBool() ? GLUT_LEFT_BUTTON : in.ConsumeIntegral<int>();
    const int state = in.ConsumeBool() ? GLUT_DOWN : in.ConsumeIntegral<int>();
    const Point p = consumePoint(in);
    const GameState before = gameState;
    const bool leftPress = button == GLUT_LEFT_BUTTON && state == GLUT_DOWN;
    if (leftPress && before == Menu && pointInButton(p.x, p.y, menuButtons[1]))
        return;  // Quit
    mouseButton(button, state, p.x, p.y);
    if (gameState == before)
        return;
    require(leftPress, "screen changed without a left press");
    require(gameState == Playing || (before == GameOver && gameState == Menu),
            "click made an impossible screen change");
    if (const char* fault = checks::freshRaceViolation())
        fail(fault);
    shadow.raceLaidOut = true;
    shadow.raceTicks = 0;
}

static void deliverTicks(FuzzedDataProvider& in) {
    const int n = in.ConsumeIntegralInRange<int>(1, kMaxTicksPerEvent);
    for (int i = 0; i < n; ++i) {
        fakegl::reset();
        const GameState before = gameState;
        const int scoreBefore = score;
        const float offsetBefore = roadOffset;
        tick(0);
        require(fakegl::timerCallback == tick && fakegl::count("glutTimerFunc") == 1,
                "tick did not re-arm the timer");
        if (before != Playing) {
            require(gameState == before && score == scoreBefore && roadOffset == offsetBefore,
                    "world moved outside a race");
            continue;
        }
        require(gameState == Playing || gameState == GameOver, "race left to the title screen");
        shadow.treesMoved = true;
        ++shadow.raceTicks;
        require(score == shadow.raceTicks, "score differs from the race's ticks");
        if (const char* fault = checks::raceViolation(true))
            fail(fault);
    }
}

// A frame must not move the world, and must leave GL balanced with finite arguments only.
static void deliverDisplay() {
    const GameState stateBefore = gameState;
    const int scoreBefore = score;
    const float xBefore = car.x;
    geometry = Geometry{};
    display();
    require(gameState == stateBefore && score == scoreBefore && car.x == xBefore,
            "drawing changed the world");
    require(geometry.fault == nullptr, geometry.fault ? geometry.fault : "");
    // Compared as std::string, which checks lengths before contents.
    static const std::string push = "glPushMatrix", pop = "glPopMatrix", begin = "glBegin",
                             end = "glEnd", matrixMode = "glMatrixMode", swap = "glutSwapBuffers";
    int depth = 0;
    int swaps = 0;
    bool inPrimitive = false;
    double lastMatrixMode = GL_MODELVIEW;
    for (const GlCall& c : fakegl::calls) {
        for (double a : c.args) require(std::isfinite(a), "non-finite GL argument");
        if (c.name == begin) {
            inPrimitive = true;
        } else if (c.name == end) {
            inPrimitive = false;
        } else if (inPrimitive) {
            // Only per-vertex state may be given between glBegin and glEnd.
            require(c.name.rfind("glColor", 0) == 0 || c.name.rfind("glVertex", 0) == 0,
                    "state change between glBegin and glEnd");
        } else if (c.name == push) {
            ++depth;
        } else if (c.name == pop) {
            require(--depth >= 0, "matrix stack popped below its base");
        } else if (c.name == matrixMode) {
            lastMatrixMode = c.args[0];
        } else if (c.name == swap) {
            ++swaps;
        }
    }
    require(depth == 0 && !inPrimitive, "frame left a matrix pushed or a primitive open");
    require(lastMatrixMode == GL_MODELVIEW, "frame left the projection matrix selected");
    require(swaps == 1, "frame not swapped exactly once");
}

// Key handlers: presses act only during a race, releases only ever clear a flag.
static void deliverKey(EventKind kind, FuzzedDataProvider& in) {
    const ControlState before = controls;
    const bool playing = gameState == Playing;
    if (kind == KeyDown || kind == KeyUp) {
        const unsigned char key = in.ConsumeIntegral<unsigned char>();
        if (kind == KeyDown && key == kEscape)
            return;  // quits the program
        if (kind == KeyDown) {
            keyDown(key, 0, 0);
        } else {
            keyUp(key, 0, 0);
        }
    } else {
        const int key = in.ConsumeIntegral<int>();
        if (kind == SpecialDown) {
            specialDown(key, 0, 0);
        } else {
            specialUp(key, 0, 0);
        }
    }
    const bool press = kind == KeyDown || kind == SpecialDown;
    if (press && !playing)
        require(sameControls(before, controls), "key press outside a race");
    if (press)
        require(noFlagRaised(controls, before), "key press cleared a flag");
    if (!press)
        require(noFlagRaised(before, controls), "key release set a flag");
}

static void deliver(EventKind kind, FuzzedDataProvider& in) {
    switch (kind) {
        case MouseButton:
            deliverMouseButton(in);
            break;
        case PassiveMotion: {
            const Point p = consumePoint(in);
            mouseMove(p.x, p.y);
            break;
        }
        case Reshape: {
            const int w = in.ConsumeIntegralInRange<int>(0, kMaxWindowSide);
            reshape(w, in.ConsumeIntegralInRange<int>(0, kMaxWindowSide));
            require(windowWidth == w, "reshape did not store the width");
            break;
        }
        case Ticks:
            deliverTicks(in);
            break;
        case Display:
            if (shadow.frames++ < kMaxFramesPerInput)
                deliverDisplay();
            break;
        default:
            deliverKey(kind, in);
            break;
    }
}

// After every event: a known screen, the buttons laid out for the window, a sound race.
static void checkWorld() {
    if (const char* fault = checks::worldViolation(shadow.raceLaidOut, shadow.treesMoved))
        fail(fault);
}

// Public functions

// Geometry calls, reached through the linker's --wrap instead of the recording fake.

extern "C" void __wrap_glBegin(GLenum mode) {
    noteFault(!geometry.open, "glBegin inside glBegin");
    geometry.open = true;
    __real_glBegin(mode);
}

extern "C" void __wrap_glEnd() {
    noteFault(geometry.open, "glEnd without glBegin");
    geometry.open = false;
    __real_glEnd();
}

extern "C" void __wrap_glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    noteFault(geometry.open, "vertex outside glBegin/glEnd");
    noteFault(std::isfinite(x) && std::isfinite(y) && std::isfinite(z), "non-finite vertex");
}

extern "C" void __wrap_glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    noteFault(std::isfinite(x) && std::isfinite(y) && std::isfinite(z), "non-finite normal");
    noteFault(x != 0.0f || y != 0.0f || z != 0.0f, "zero normal");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    startProgram();
    checkWorld();
    while (in.remaining_bytes() > 0) {
        const auto kind =
            static_cast<EventKind>(in.ConsumeIntegralInRange<int>(0, EventKindCount - 1));
        fakegl::reset();  // keeps the recording to one event's calls
        deliver(kind, in);
        checkWorld();
    }
    return 0;
}
