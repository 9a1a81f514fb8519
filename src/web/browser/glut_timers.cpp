// glut_timers.cpp: glutTimerFunc in the browser: one-shot timers in the browser's event loop.
// While the WebGL context is lost, timers that fall due are held and run once it is back.
#include <GL/glut.h>
#include <emscripten/eventloop.h>

#include <cstdint>
#include <vector>

#include "glut_runtime.h"

// Types

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

// Globals

static std::vector<Timer> timers;  // slots, reused once their timer has fired
static std::vector<HeldTimer> heldTimers;

// Static helpers

// Runs one timer callback of the game.
static void runTimer(TimerCallback func, int value) {
    ++runtime.counters[kTicks];
    func(value);
}

// Called by the browser when a timer is due; user data is the timer's slot.
static void timerFired(void* userData) {
    const size_t slot = reinterpret_cast<uintptr_t>(userData);
    if (slot >= timers.size() || !timers[slot].armed)
        return;
    Timer& timer = timers[slot];
    timer.armed = false;
    if (runtime.phase == Phase::ContextLost) {
        heldTimers.push_back(HeldTimer{timer.func, timer.value});
        return;
    }
    if (runtime.phase != Phase::Running)
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

// Public functions

void stopTimers() {
    for (Timer& timer : timers) {
        if (timer.armed)
            emscripten_clear_timeout(timer.handle);
        timer.armed = false;
    }
    heldTimers.clear();
}

void runHeldTimers() {
    std::vector<HeldTimer> due;
    due.swap(heldTimers);
    for (const HeldTimer& timer : due) {
        if (runtime.phase != Phase::Running)
            break;
        runTimer(timer.func, timer.value);
    }
}

void glutTimerFunc(unsigned int msecs, void (*callback)(int), int value) {
    if (callback == nullptr || runtime.phase == Phase::Stopped)
        return;
    const size_t slot = freeTimerSlot();
    Timer& timer = timers[slot];
    timer.func = callback;
    timer.value = value;
    timer.armed = true;
    timer.handle = emscripten_set_timeout(timerFired, static_cast<double>(msecs),
                                          reinterpret_cast<void*>(static_cast<uintptr_t>(slot)));
}
