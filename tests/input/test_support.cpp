// test_support.cpp: the allocation counter and the exit guard of the input tests.
#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <new>

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

void allowExit() {
    exitAllowed = true;
}
