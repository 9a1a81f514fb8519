// frame_bench.cpp: the CPU cost of composing one whole frame, with a GL whose calls do nothing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "counting_new.h"
#include "course.h"
#include "frame.h"
#include "frame_setup.h"
#include "fresh_game.h"
#include "menu.h"
#include "race.h"
#include "world.h"

// Constants
// Sines and cosines every frame evaluates for its 70 trees (a 12-slice trunk, 39; a 14 x 10 ball,
// 161; a 12 x 9 ball, 127) and the car's four 18-slice wheels (57 each); obstacles add a few more.
static const int kSinCosPerTreeFrame = 70 * (39 + 161 + 127) + 4 * 57;

// Static helpers

static void measureFrames(benchmark::State& state) {
    const long before = allocations;
    for (auto _ : state) {
        display();
        benchmark::ClobberMemory();
    }
    state.counters["allocs/frame"] =
        benchmark::Counter(static_cast<double>(allocations - before) / state.iterations());
    state.counters["obstacles"] = static_cast<double>(obstacles.size());
}

static void BM_FrameMenuFirstTitle(benchmark::State& state) {
    startUp();  // the title screen as the game first shows it: trees, buttons, no race yet
    measureFrames(state);
}
BENCHMARK(BM_FrameMenuFirstTitle)->Apply(repeated);

static void BM_FramePlayingMidRace(benchmark::State& state) {
    midRace(Playing);
    if (obstacles.size() != 18)
        state.SkipWithError("the race should hold 18 obstacles");
    measureFrames(state);
}
BENCHMARK(BM_FramePlayingMidRace)->Apply(repeated);

static void BM_FrameGameOver(benchmark::State& state) {
    midRace(GameOver);
    measureFrames(state);
}
BENCHMARK(BM_FrameGameOver)->Apply(repeated);

// The floor under every frame: the sines and cosines of the trees and wheels alone.
static void BM_SinCosOfTheTrees(benchmark::State& state) {
    for (auto _ : state) {
        float sum = 0.0f;
        for (int i = 0; i < kSinCosPerTreeFrame; ++i) {
            float s;
            float c;
            sincosf(static_cast<float>(i % 64) * 0.098f, &s, &c);  // angles within one turn
            sum += s + c;
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_SinCosOfTheTrees)->Apply(repeated);

// Public functions

BENCHMARK_MAIN();
