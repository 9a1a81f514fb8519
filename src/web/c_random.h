// c_random.h: the desktop C library's rand()/srand() sequence (glibc's random()), so that
// every platform lays out the same trees and courses from the same seed.
#pragma once

// Seeds the generator as srand(seed) does; seed 0 behaves as seed 1.
void cRandomSeed(unsigned seed);

// The next draw, 0..2^31-1, as rand() returns it. Unseeded, the sequence of seed 1.
int cRandomNext();
