// frame_timing.cpp: wall time of one whole frame on the real GL driver, beside an empty frame
// (clear and swap only) in the same window. Needs a display: run it through frame_timing.sh.
//
// A sample runs from the call of display() until the swap returns. With --finish, glFinish
// follows the swap inside the sample, for drivers that return from the swap before the frame
// is drawn; comparing both runs shows whether the plain figure already holds the whole cost.
#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "course.h"
#include "frame.h"
#include "race.h"
#include "shared_constants.h"
#include "shell.h"
#include "world.h"

// Constants
static const int kSizes[][2] = {{800, 600}, {1920, 1080}};
static const int kWarmUpFrames = 30;
static const int kDefaultSamples = 200;
static const int kRaceTicks = 600;        // far enough for the obstacle stream to have turned over
static const float kBetweenLanes = 1.0f;  // no obstacle reaches a car centred here

// Globals
static bool finishEachFrame = false;
static bool reshaped = false;

// Static helpers

static void ignoreRedisplay() {}

static void noteReshape(int width, int height) {
    reshape(width, height);
    reshaped = true;
}

static void emptyFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

// Median milliseconds of frame(), with between() run untimed before each sample.
static double medianMs(void (*frame)(), void (*between)(), int samples) {
    std::vector<double> ms;
    ms.reserve(samples);
    for (int i = 0; i < kWarmUpFrames + samples; ++i) {
        between();
        glutMainLoopEvent();
        const auto start = std::chrono::steady_clock::now();
        frame();
        if (finishEachFrame)
            glFinish();
        const auto end = std::chrono::steady_clock::now();
        if (i >= kWarmUpFrames)
            ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::nth_element(ms.begin(), ms.begin() + samples / 2, ms.end());
    return ms[samples / 2];
}

static void nothing() {}

// The race moves on between two race frames, as it does under the game's timer.
static void nextTick() {
    car.x = kBetweenLanes;
    advanceRace();
    gameState = Playing;
}

static void firstTitle() {
    gameState = Menu;
    car = Car{};
    obstacles.clear();
    roadOffset = 0.0f;
    score = 0;
}

static void startRace() {
    resetRace();
    gameState = Playing;
    for (int i = 0; i < kRaceTicks; ++i) nextTick();
}

// Opens a window of the game's kind at this size and waits until GLUT has shown and sized it.
static int openWindow(int width, int height) {
    glutInitWindowSize(width, height);
    const int window = glutCreateWindow(kGameTitle);
    initGraphics();
    glutDisplayFunc(ignoreRedisplay);
    glutReshapeFunc(noteReshape);
    reshaped = false;
    while (!reshaped) glutMainLoopEvent();
    reshape(width, height);
    return window;
}

// Public functions

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH | GLUT_MULTISAMPLE);
    int samples = kDefaultSamples;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--finish") == 0)
            finishEachFrame = true;
        else if (std::sscanf(argv[i], "%d", &samples) != 1 || samples < 1)
            return std::fprintf(stderr, "usage: frame_timing [--finish] [samples]\n"), 2;
    }

    std::printf("%s\n", finishEachFrame ? "glFinish after every swap" : "no glFinish");
    std::printf("%-10s %-6s %10s %10s %10s\n", "size", "screen", "frame ms", "empty ms", "ratio");
    for (const auto& size : kSizes) {
        const int window = openWindow(size[0], size[1]);
        GLint multisample = 0;
        glGetIntegerv(GL_SAMPLES, &multisample);
        char label[32];
        std::snprintf(label, sizeof label, "%dx%d", size[0], size[1]);

        firstTitle();
        const double title = medianMs(display, nothing, samples);
        const double emptyTitle = medianMs(emptyFrame, nothing, samples);
        std::printf("%-10s %-6s %10.3f %10.3f %10.2f\n", label, "title", title, emptyTitle,
                    title / emptyTitle);

        startRace();
        const double race = medianMs(display, nextTick, samples);
        const double emptyRace = medianMs(emptyFrame, nextTick, samples);
        std::printf("%-10s %-6s %10.3f %10.3f %10.2f\n", label, "race", race, emptyRace,
                    race / emptyRace);
        std::printf("%-10s samples per pixel: %d, renderer: %s\n", label, multisample,
                    reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
        glutDestroyWindow(window);
        glutMainLoopEvent();
    }
    return 0;
}
