// Test support: keys made the way the program makes them, from a seeded generator, and keys that
// push the cipher to its edges; a generator of test data of its own.
#pragma once

#include <cstdint>

#include <vector>

#include "cipher/Cipher.h"
#include "cipher/KeyFile.h"

namespace moro_test {

// Its own generator, so that making test data never moves the program's one.
struct TestRng {
    uint64_t s;
    explicit TestRng(uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return uint32_t(s >> 16);
    }
    WORD Word() { return WORD(Next()); }
    unsigned Below(unsigned n) { return Next() % n; }
};

// The key InitKey makes right after srand(seed); its S-box is still the identity.
KeyState SeededKey(unsigned seed);

// The run of that key with these steps, as 'encrypt --seed' starts it (the generator where
// InitKey left it).
KeyFile SeededRun(unsigned seed, std::vector<CipherStep> steps);

// Keys no InitKey makes but a key state can hold, with the S-box built: full 16-bit values,
// p0 = 0, parameters and states at the ends of the range, periods of 1 and 256, counters about to
// wrap.
KeyState StressKey(unsigned seed);

}  // namespace moro_test
