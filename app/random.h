// The program's one random generator: a linear congruential generator, never seeded, so every run
// draws the same sequence. The carving takes the first 600,000 values, the backdrop the next
// 1,228,800.
#pragma once

#include <stdint.h>

extern uint32_t randomState;  // starts at 1

// Next value, 0 ... 32767.
inline int NextRandom() {
    randomState = randomState * 214013u + 2531011u;
    return (int)((randomState >> 16) & 0x7FFF);
}
