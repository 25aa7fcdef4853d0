// The C runtime's random generator of 32-bit Windows: one generator for the whole program, so a
// seed reproduces every key and every random rounding of a run.  The names live in their own
// namespace so that they never collide with the system C library's rand and srand.
#pragma once

#include <cstdint>

namespace crt {
constexpr int kRandMax = 0x7FFF;  // largest value rand returns
void srand(unsigned int seed);
// state = state * 214013 + 2531011; result (state >> 16) & 0x7FFF.
int rand();
// The generator's state, for code that must leave it exactly as a step-by-step run would.
uint32_t GetRandState();
void SetRandState(uint32_t state);
}  // namespace crt
