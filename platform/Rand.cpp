#include "platform/Rand.h"

namespace crt {
namespace {
// The runtime starts as if seeded with 1.
uint32_t g_state = 1;
}  // namespace

void srand(unsigned int seed) { g_state = seed; }

int rand() {
    g_state = g_state * 214013u + 2531011u;
    return int((g_state >> 16) & 0x7FFF);
}

uint32_t GetRandState() { return g_state; }
void SetRandState(uint32_t state) { g_state = state; }
}  // namespace crt
