// The program's one random generator: a linear congruential generator, never seeded, so every run
// draws the same sequence. The carving takes the first 600,000 values, the backdrop the next
// 1,228,800.
#pragma once

#include <stdint.h>

extern uint32_t randomState;  // starts at 1

// The value that a draw leaving the generator in `state` yields, 0 ... 32767.
inline int RandomValueOf(uint32_t state) { return (int)((state >> 16) & 0x7FFF); }

// Next value, 0 ... 32767.
inline int NextRandom() {
    randomState = randomState * 214013u + 2531011u;
    return RandomValueOf(randomState);
}

// `draws` steps of the generator as one: state * multiplier + increment (mod 2^32). Routines that
// take many values walk several positions of the one sequence side by side with it, each stepping
// over the others' draws: the same values in the same places, without waiting on one long chain
// of multiplications.
struct RandomLeap {
    uint32_t multiplier;
    uint32_t increment;
};

inline RandomLeap RandomLeapOf(int draws) {
    RandomLeap leap = {1u, 0u};
    for (int i = 0; i < draws; i++) {
        leap.multiplier *= 214013u;
        leap.increment = leap.increment * 214013u + 2531011u;
    }
    return leap;
}

inline uint32_t Leap(uint32_t state, RandomLeap leap) { return state * leap.multiplier + leap.increment; }
