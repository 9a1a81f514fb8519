// frame_setup.h: what the frame benchmarks share: short repetitions reported with the fastest,
// and a race under way to draw. Include it in the one source file of a frame benchmark.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "fresh_game.h"
#include "race.h"
#include "world.h"

// Constants
static const int kRepetitions = 20;
static const double kMinSecondsPerRepetition = 0.05;
static const float kBetweenLanes = 1.0f;  // no obstacle reaches a car centred here
static const int kRaceTicks = 600;        // far enough for the stream to have turned over

// Static helpers

// The fastest repetition: on a busy machine the others mostly measure the neighbours.
static double fastest(const std::vector<double>& times) {
    return *std::min_element(times.begin(), times.end());
}

// Short repetitions, reported as mean, median, spread and the fastest.
static void repeated(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMicrosecond)
        ->MinTime(kMinSecondsPerRepetition)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics("min", fastest);
}

// A race under way, with 18 obstacles on the road and the car cruising between two lanes.
static void midRace(GameState shown) {
    startRaceIn(Playing);
    for (int i = 0; i < kRaceTicks; ++i) {
        car.x = kBetweenLanes;
        advanceRace();
    }
    gameState = shown;
}
