// c_library_rand.cpp: the browser's rand() and srand(), replacing the C library's with the
// desktop's sequence so that std::rand and std::srand lay out the same trees and courses.
// Linked into the browser build only; the desktop keeps its own C library.
#include "c_random.h"

extern "C" {

int rand(void) {
    return cRandomNext();
}

void srand(unsigned seed) {
    cRandomSeed(seed);
}

}  // extern "C"
