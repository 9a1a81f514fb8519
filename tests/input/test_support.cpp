// test_support.cpp: snapshots, set-ups and the exit guard shared by the input tests.
#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "course.h"
#include "fake_gl.h"
#include "menu.h"

// Globals
static bool exitAllowed = false;
std::size_t allocationCount = 0;

// Static helpers

// A handler that quits by mistake would otherwise end the test run with status 0, unnoticed.
static void failUnexpectedExit() {
    if (exitAllowed) {
        return;
    }
    std::fputs("the program exited in the middle of a test\n", stderr);
    std::_Exit(3);
}

// Arms the guard before the first test and lifts it once all tests have run.
class ExitGuard : public ::testing::Environment {
    void SetUp() override { std::atexit(failUnexpectedExit); }
    void TearDown() override { exitAllowed = true; }
};

static ::testing::Environment* const kExitGuard =
    ::testing::AddGlobalTestEnvironment(new ExitGuard);

template <typename T>
static bool sameBytes(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

template <typename T>
static bool sameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Public functions

// Counted replacements of the global allocation functions.
void* operator new(std::size_t size) {
    ++allocationCount;
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

WorldSnapshot WorldSnapshot::capture() {
    return WorldSnapshot{::gameState, ::car,         ::controls,        ::obstacles,
                         ::trees,     ::menuButtons, ::gameOverButtons, ::roadOffset,
                         ::score,     ::windowWidth, ::windowHeight};
}

bool operator==(const WorldSnapshot& a, const WorldSnapshot& b) {
    return a.state == b.state && sameBytes(a.car, b.car) && sameBytes(a.controls, b.controls) &&
           sameBytes(a.obstacles, b.obstacles) && sameBytes(a.trees, b.trees) &&
           sameBytes(a.menuButtons, b.menuButtons) &&
           sameBytes(a.gameOverButtons, b.gameOverButtons) &&
           sameBytes(a.roadOffset, b.roadOffset) && a.score == b.score &&
           a.windowWidth == b.windowWidth && a.windowHeight == b.windowHeight;
}

void startUp() {
    gameState = Menu;
    car = Car{};
    controls = ControlState{};
    obstacles.clear();
    roadOffset = 0.0f;
    score = 0;
    windowWidth = 800;
    windowHeight = 600;
    generateTrees();
    layoutButtons();
    fakegl::reset();
}

void startRaceIn(GameState state) {
    startUp();
    resetRace();
    gameState = state;
}

void allowExit() {
    exitAllowed = true;
}
