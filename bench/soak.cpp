// soak.cpp: drives the plain race step for a long time with random controls, a new race after
// every crash, and checks the world after every tick. Usage: velk_soak [ticks] (default 1e8).
// Prints ticks, races, seconds and ticks per second; exits 1 at the first broken invariant.
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>

#include "course.h"
#include "race.h"
#include "world.h"
#include "world_checks.h"

// Constants
static const long long kDefaultTicks = 100000000LL;
static const unsigned kControlSeed = 20240601u;
static const int kMaxHoldTicks = 12;  // controls change every 1 to 12 ticks

// Globals
static std::size_t heapAllocations = 0;  // every global operator new since start

// Replaced global allocation: counts every heap allocation made through new.
void* operator new(std::size_t size) {
    ++heapAllocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t /*size*/) noexcept {
    std::free(p);
}

// Static helpers

// Four independent coin flips, so every combination of held controls occurs, clashes included.
static ControlState randomControls(std::mt19937& rng) {
    std::bernoulli_distribution held(0.5);
    return ControlState{held(rng), held(rng), held(rng), held(rng)};
}

static void startRace() {
    gameState = Playing;
    resetRace();
}

[[noreturn]] static void fail(long long tick, const char* what) {
    std::fprintf(stderr, "soak: tick %lld: %s\n", tick, what);
    std::exit(1);
}

// Public functions

int main(int argc, char** argv) {
    const long long total = argc > 1 ? std::atoll(argv[1]) : kDefaultTicks;
    if (total <= 0) {
        std::fprintf(stderr, "usage: %s [ticks > 0]\n", argv[0]);
        return 2;
    }
    std::mt19937 rng(kControlSeed);
    std::uniform_int_distribution<int> hold(1, kMaxHoldTicks);
    generateTrees();
    startRace();
    const std::size_t allocationsAfterFirstReset = heapAllocations;

    long long races = 1;
    int raceTicks = 0;
    int holdLeft = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long long t = 1; t <= total; ++t) {
        if (holdLeft-- == 0) {
            controls = randomControls(rng);
            holdLeft = hold(rng);
        }
        advanceRace();
        ++raceTicks;
        if (gameState != Playing && gameState != GameOver)
            fail(t, "race left to another screen");
        if (score != raceTicks)
            fail(t, "score differs from the race's ticks");
        if (const char* fault = checks::raceViolation(true))
            fail(t, fault);
        if (heapAllocations != allocationsAfterFirstReset)
            fail(t, "heap allocation in a race");
        if (gameState == GameOver) {
            startRace();
            if (heapAllocations != allocationsAfterFirstReset)
                fail(t, "heap allocation in reset");
            ++races;
            raceTicks = 0;
            holdLeft = 0;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("ticks %lld  races %lld  seconds %.2f  ticks/s %.0f\n", total, races, seconds,
                static_cast<double>(total) / seconds);
    return 0;
}
