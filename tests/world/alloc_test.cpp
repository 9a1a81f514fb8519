// alloc_test.cpp: a running race allocates nothing once the stream is set up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "course.h"
#include "race.h"
#include "world.h"

// Every allocation of this test binary passes through here. The replacements pair malloc with
// free by design, which g++ cannot see through once they are inlined.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static long allocations = 0;

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}

TEST(RaceAllocation, SteadyStateTicksAllocateNothing) {
    generateTrees();
    resetRace();
    gameState = Playing;
    // Centred between two lanes the car touches nothing, so the race runs on without a reset;
    // full throttle makes obstacles leave and get appended as often as possible.
    car.x = 1.0f;
    controls.accelerate = true;
    advanceRace();
    const long before = allocations;
    for (int i = 0; i < 100000; ++i) advanceRace();
    const long during = allocations - before;
    EXPECT_EQ(during, 0);
    EXPECT_EQ(gameState, Playing);
    EXPECT_EQ(score, 100001);
}
