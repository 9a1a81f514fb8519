// tick_bench.cpp: the cost of one racing step once the race is under way.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "course.h"
#include "race.h"
#include "world.h"

// Constants
static const float kBetweenLanes = 1.0f;  // no obstacle of any size reaches a car centred here
// Put here before a step at full speed with left held, the car ends the step at 1.25 - 0.2613,
// still out of every obstacle's reach (the reach across the road is at most 0.8825).
static const float kBeforeLeftStep = 1.25f;
static const int kWarmUpTicks = 1000;

// Static helpers

// A fresh race, driven with the car put at x before every step until the stream has turned over.
static void startRace(ControlState held, float x) {
    generateTrees();
    resetRace();
    gameState = Playing;
    controls = held;
    for (int i = 0; i < kWarmUpTicks; ++i) {
        car.x = x;
        advanceRace();
    }
}

// The fastest repetition: on a shared machine the least disturbed one is the best estimate.
static double fastest(const std::vector<double>& runs) {
    return *std::min_element(runs.begin(), runs.end());
}

// Reports an error if a crash cut the race short, since the figures would be meaningless.
static void checkStillRacing(benchmark::State& state) {
    if (gameState != Playing)
        state.SkipWithError("the race ended during the benchmark");
}

// No pedal, no steering: cruising at 18 between two lanes.
static void BM_TickCruising(benchmark::State& state) {
    startRace(ControlState{}, kBetweenLanes);
    for (auto _ : state) {
        advanceRace();
        benchmark::ClobberMemory();
    }
    checkStillRacing(state);
}
BENCHMARK(BM_TickCruising)->ComputeStatistics("min", fastest);

// Both pedals and both steering keys held: full speed (42), the car steering left every step.
// Putting the car back before each step costs one store.
static void BM_TickAllControlsHeld(benchmark::State& state) {
    startRace(ControlState{true, true, true, true}, kBeforeLeftStep);
    for (auto _ : state) {
        car.x = kBeforeLeftStep;
        advanceRace();
        benchmark::ClobberMemory();
    }
    checkStillRacing(state);
}
BENCHMARK(BM_TickAllControlsHeld)->ComputeStatistics("min", fastest);

BENCHMARK_MAIN();
