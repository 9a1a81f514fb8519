// rand_override.cpp: rand() and srand() with glibc's sequence, replacing the C library's where it
// has another generator (Emscripten's musl, Windows' msvcrt): linked into a program as objects,
// they take the place of the C library's for its std::rand and std::srand too. Builds on glibc
// keep their own.
#include "glibc_rand.h"

extern "C" {

int rand(void) {
    return glibcRandNext();
}

void srand(unsigned seed) {
    glibcRandSeed(seed);
}

}  // extern "C"
