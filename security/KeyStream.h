// The key stream itself as bits, for randomness tests and plots.  The bits are those of the words
// the cipher XORs onto an all-zero image, in the order a file holds them: each 16-bit word's low
// byte first, each byte from its most significant bit.  Encrypting an all-zero image with the
// same key and reading its rows byte by byte gives the same bits.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "cipher/Cipher.h"
#include "security/Randomness.h"

enum class StreamMode {
    Stream,  // mode 1
    Frame,   // one frame pass of the whole system: S-box from the states, lanes in its order
};

// nBits bits of the key stream of key (a copy is advanced) in the given mode; nRandState is the
// program generator's state that the frame pass draws its perturbations from (for a key from
// seed s, where InitKey leaves it).  One bit per byte, 0 or 1.
std::vector<uint8_t> KeyStreamBits(KeyState key, uint32_t nRandState, StreamMode mode, size_t nBits);

// The key of seed nSeed (as srand and InitKey make it) and its stream.
std::vector<uint8_t> SeedStreamBits(uint32_t nSeed, StreamMode mode, size_t nBits);

// Autocorrelation of the bits taken as +1 and -1, at lags 1 to nMaxLag:
// r(k) = sum over i < n - k of x(i) x(i + k), divided by n - k.  About N(0, 1 / (n - k)) for
// random bits.
std::vector<double> Autocorrelation(std::span<const uint8_t> bits, size_t nMaxLag);

// The randomness suite on the streams of the seeds nFirstSeed .. nFirstSeed + nKeys - 1, nBits
// each, on nThreads threads (0: one per core): runs[k] holds the outcomes of key k.
std::vector<std::vector<SuiteOutcome>> RunSuiteOnSeeds(uint32_t nFirstSeed, uint32_t nKeys, StreamMode mode, size_t nBits,
                                                       const SuiteParameters& params, unsigned nThreads = 0);
