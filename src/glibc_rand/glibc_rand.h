// glibc_rand.h: glibc's rand()/srand() sequence (its random()) for C libraries with another
// generator, so that a program draws the same numbers from the same seed on every platform.
#pragma once

// Seeds the generator as srand(seed) does; seed 0 behaves as seed 1.
void glibcRandSeed(unsigned seed);

// The next draw, 0..2^31-1, as rand() returns it. Unseeded, the sequence of seed 1.
int glibcRandNext();
