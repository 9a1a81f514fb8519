// glibc_rand.cpp: glibc's random(), the generator behind its rand(): an additive feedback
// generator over 31 words, r[i] = r[i - 31] + r[i - 3] (mod 2^32), answering r[i] >> 1. The words
// are seeded by the multiplicative generator 16807 * x mod (2^31 - 1), and the first 310
// answers are thrown away.
#include "glibc_rand.h"

#include <cstdint>

// Constants
static const int kDegree = 31;      // words of state
static const int kSeparation = 3;   // the front word runs this far ahead of the rear one
static const int kDiscarded = 310;  // answers dropped after seeding: ten times the degree
static const std::int64_t kMultiplier = 16807;
static const std::int64_t kModulus = 2147483647;                // 2^31 - 1
static const std::int64_t kQuotient = kModulus / kMultiplier;   // 127773
static const std::int64_t kRemainder = kModulus % kMultiplier;  // 2836

// Types

// The generator: its words and the positions of the front and rear word in them.
struct AdditiveState {
    std::uint32_t words[kDegree];
    int front;
    int rear;
    bool seeded;
};

// Globals
static AdditiveState generator = {};

// Static helpers

// 16807 * word mod (2^31 - 1) by Schrage's method, with glibc's arithmetic: the word is signed,
// division truncates, and a negative result is lifted by the modulus once.
static std::int32_t nextSeedWord(std::int32_t word) {
    const std::int64_t hi = word / kQuotient;
    const std::int64_t lo = word % kQuotient;
    std::int64_t next = kMultiplier * lo - kRemainder * hi;
    if (next < 0) {
        next += kModulus;
    }
    return static_cast<std::int32_t>(next);
}

// One step: the front word takes the rear word's sum; the answer drops its lowest bit.
static std::uint32_t step() {
    AdditiveState& g = generator;
    g.words[g.front] += g.words[g.rear];
    const std::uint32_t result = g.words[g.front] >> 1;
    g.front = (g.front + 1) % kDegree;
    g.rear = (g.rear + 1) % kDegree;
    return result;
}

// Public functions

void glibcRandSeed(unsigned seed) {
    AdditiveState& g = generator;
    std::int32_t word = static_cast<std::int32_t>(seed == 0 ? 1u : seed);
    g.words[0] = static_cast<std::uint32_t>(word);
    for (int i = 1; i < kDegree; ++i) {
        word = nextSeedWord(word);
        g.words[i] = static_cast<std::uint32_t>(word);
    }
    g.front = kSeparation;
    g.rear = 0;
    g.seeded = true;
    for (int i = 0; i < kDiscarded; ++i) {
        step();
    }
}

int glibcRandNext() {
    if (!generator.seeded) {
        glibcRandSeed(1);  // the C library starts as if seeded with 1
    }
    return static_cast<int>(step());
}
