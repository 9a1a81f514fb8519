// glibc's sequence for other C libraries: our generator against this machine's glibc rand().
#include "glibc_rand.h"

#include <gtest/gtest.h>

#include <cstdlib>

// Constants
static const int kDraws = 1000000;

// The game's seed, glibc's default, zero (taken as one), and seeds whose first word is negative
// or at the modulus, each reseeded after the previous seed's million draws.
TEST(GlibcRand, MatchesTheCLibraryForAMillionDrawsOfEachSeed) {
    for (unsigned seed : {12345u, 1u, 0u, 2147483647u, 2147483648u, 4000000000u, 4294967295u}) {
        std::srand(seed);
        glibcRandSeed(seed);
        int mismatches = 0;
        int first = -1;
        for (int i = 0; i < kDraws; ++i) {
            if (glibcRandNext() != std::rand() && mismatches++ == 0) {
                first = i;
            }
        }
        EXPECT_EQ(mismatches, 0) << "seed " << seed << ", first difference at draw " << first;
    }
}
