// web_frame_bench.cpp: the CPU cost of whole frames drawn through the browser's fixed-function GL
// into a graphics card that only queues the frame's upload as the browser's does, each batch's
// distinct vertices once, with depth planes for the triangles reaching behind the eye (planes/1,
// as where fragments can set their depth) or without (planes/0). Compare with bench_frame (the
// same frames into a GL whose calls do nothing): the difference is the layer's own work.
#include <GL/glut.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "counting_new.h"
#include "course.h"
#include "fixed_function.h"
#include "font.h"
#include "frame.h"
#include "frame_queue.h"
#include "frame_setup.h"
#include "fresh_game.h"
#include "gpu.h"
#include "race.h"
#include "shared_constants.h"
#include "shell.h"
#include "world.h"

// Constants
static const int kWidth = kStartWindowWidth;
static const int kHeight = kStartWindowHeight;

// Stand-in glyph of about Helvetica 18's size: 10 x 13 pixels, two runs in every row.
static const int kGlyphRows = 13;
static const unsigned char kGlyphRow[2] = {0xCF, 0x00};  // XX..XXXX..

// Globals
static long draws = 0;  // gpu::drawTriangles calls since the last reset
static long vertices = 0;
static long triangles = 0;
static long uploaded = 0;      // vertices of the frames' uploads
static long queuedDraws = 0;   // draws of the frames' uploads
static gpu::FrameQueue queue;  // the frame's upload, as the browser queues it
static bool depthPlanes = false;
static int viewportBox[4] = {0, 0, 0, 0};
static unsigned char glyphBits[2 * kGlyphRows];
static font::Glyph glyph = {10, kGlyphRows, 0.0f, 0.0f, 12.0f, glyphBits};

// Static helpers

// The game's GL set-up at 800 x 600, as main and the first reshape leave it.
static void setUpGl() {
    ff::reset();
    initGraphics();
    reshape(kWidth, kHeight);
}

static void measureFrames(benchmark::State& state) {
    depthPlanes = state.range(0) != 0;
    display();  // one frame first: the next frames inherit its normal, as on the desktop
    queue.clear();
    const long before = allocations;
    draws = vertices = triangles = uploaded = queuedDraws = 0;
    for (auto _ : state) {
        display();
        benchmark::ClobberMemory();
        uploaded += static_cast<long>(queue.vertices.size());
        queuedDraws += static_cast<long>(queue.draws.size());
        queue.clear();
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["allocs/frame"] = benchmark::Counter((allocations - before) / frames);
    state.counters["draws/frame"] = benchmark::Counter(draws / frames);
    state.counters["vertices/frame"] = benchmark::Counter(vertices / frames);
    state.counters["triangles/frame"] = benchmark::Counter(triangles / frames);
    state.counters["uploaded vertices/frame"] = benchmark::Counter(uploaded / frames);
    state.counters["uploaded draws/frame"] = benchmark::Counter(queuedDraws / frames);
}

// Each frame benchmark without depth planes and with them, side by side.
static void bothWays(benchmark::internal::Benchmark* b) {
    repeated(b);
    b->ArgName("planes")->Arg(0)->Arg(1);
}

static void BM_WebFrameMenuFirstTitle(benchmark::State& state) {
    setUpGl();
    startUp(kWidth, kHeight);
    measureFrames(state);
}
BENCHMARK(BM_WebFrameMenuFirstTitle)->Apply(bothWays);

static void BM_WebFramePlayingMidRace(benchmark::State& state) {
    setUpGl();
    midRace(Playing);
    measureFrames(state);
}
BENCHMARK(BM_WebFramePlayingMidRace)->Apply(bothWays);

static void BM_WebFrameGameOver(benchmark::State& state) {
    setUpGl();
    midRace(GameOver);
    measureFrames(state);
}
BENCHMARK(BM_WebFrameGameOver)->Apply(bothWays);

// Public functions

// A graphics card that counts what it is given and queues it for an upload that never comes.
namespace gpu {
void viewport(int x, int y, int width, int height) {
    viewportBox[0] = x;
    viewportBox[1] = y;
    viewportBox[2] = width;
    viewportBox[3] = height;
}
void clear(bool, bool, const float*) {}
void drawTriangles(const State& state, const Vertex* batchVertices, size_t vertexCount,
                   const uint16_t* indices, size_t indexCount) {
    ++draws;
    vertices += static_cast<long>(vertexCount);
    triangles += static_cast<long>(indexCount / 3);
    queueBatch(queue, QueuedDraw{}, state, viewportBox, depthPlanes, batchVertices, vertexCount,
               indices, indexCount);
}
}  // namespace gpu

const font::Glyph* font::helvetica18(int c) {
    if (glyphBits[0] == 0) {
        for (int row = 0; row < kGlyphRows; ++row) {
            glyphBits[2 * row] = kGlyphRow[0];
            glyphBits[2 * row + 1] = kGlyphRow[1];
        }
    }
    return (c > ' ' && c < 127) ? &glyph : nullptr;
}

// The GLUT calls a frame makes besides drawing; the buffer swap hands over the last batch.
void glutSwapBuffers() {
    ffFlush();
}
void glutSetCursor(int) {}
void glutPostRedisplay() {}
void glutTimerFunc(unsigned int, void (*)(int), int) {}

// fresh_game.h forgets recorded GL calls; here there is no recorder.
void fakegl::reset() {}

BENCHMARK_MAIN();
