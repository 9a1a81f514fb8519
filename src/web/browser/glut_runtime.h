// glut_runtime.h: what the parts of GLUT in the browser share: where the runtime stands, the
// game's handlers, and the end of every callback (glut_browser.cpp); the timers that stop and
// wait with it (glut_timers.cpp). The page's events arrive in glut_events.cpp.
#pragma once

// Constants

// What the page shows (glut_browser.js has the names of make_page_numbers.cpp for them).
enum PageState { kPageRunning = 0, kPageQuit = 1, kPageNoWebGL = 2, kPageContextLost = 3 };

// Slots of the counters window.velkStats() reads, named for it by make_page_numbers.cpp.
enum Counter { kTicks = 0, kFrames = 1, kCounters = 2 };

// Types

// Where the runtime stands: events are delivered from Running on, nothing after Stopped.
enum class Phase { Starting, Running, ContextLost, Stopped };

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

// GLUT's state in the browser.
struct Runtime {
    Phase phase = Phase::Starting;
    Handlers handlers = {};
    bool redisplayPending = false;  // a callback posted a redisplay not drawn yet
    bool frameRequested = false;    // an animation frame will draw the pending redisplay
    int counters[kCounters] = {};   // ticks run and frames drawn, for the page
};

// Globals

extern Runtime runtime;

// Implemented in glut_browser.js.
extern "C" {
void velk_page_open(const char* title, const int* counters);
void velk_page_size(int* width, int* height);
void velk_page_limit(int side);
void velk_page_frame();
void velk_page_cursor(const char* css);
void velk_page_state(int state);
}

// Public functions

// Ends a callback of the game: asks the browser for an animation frame when it posted a redisplay.
void finishCallback();

// Hands the client size to the reshape handler (GLUT's default sets the viewport) and redraws.
void deliverReshape(int width, int height);

// Cancels every armed timer and forgets the held ones: the game has ended.
void stopTimers();

// Runs the timers that fell due while the context was lost, as long as the runtime keeps running.
void runHeldTimers();
