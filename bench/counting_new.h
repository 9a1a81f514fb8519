// counting_new.h: a global allocator that counts its calls, so a benchmark can show that a frame
// allocates nothing. Include it in exactly one source file of a benchmark program.
#pragma once

#include <cstdlib>
#include <new>

// Globals
static long allocations = 0;  // operator new calls since start

// Public functions

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

// GCC takes the replaced pair for a mismatch once it inlines both into one caller.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
