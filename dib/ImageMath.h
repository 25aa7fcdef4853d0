// Arithmetic shared by every image operation of the library.
#pragma once

#include <cmath>

#include "platform/Rand.h"

// Turns a computed intensity into an integer: below a half rounds down, above rounds up, and an
// exact half is decided by the program's one random generator (one draw: 0x3FFF or less rounds
// down).  Because it draws from the same sequence as the cipher's key generation, the number of
// exact halves met decides every later random value of a run.
inline int RoundHalfRandom(double x) {
    double f = std::floor(x);
    double frac = x - f;
    if (frac < 0.5) return int(f);
    if (frac > 0.5) return int(f) + 1;
    return crt::rand() <= 0x3FFF ? int(f) : int(f) + 1;
}

// A colour becomes a grey level as 0.3 red + 0.59 green + 0.11 blue.  The weights are these exact
// doubles; each operation adds the three products in its own order, which matters at exact halves.
constexpr double kGreyRed = 0.3;
constexpr double kGreyGreen = 0.59;
constexpr double kGreyBlue = 0.11;

inline int ClampByte(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }
