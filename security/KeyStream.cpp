// The streams are made by the cipher itself on an all-zero image, so they are exactly what it
// XORs.  The frame pass draws perturbations from the program's one generator, which cannot be
// shared between threads: frame streams are made one at a time, with the generator set to the
// key's own state and put back afterwards.
#include "security/KeyStream.h"

#include <mutex>

#include "platform/Rand.h"
#include "security/KeyDiagnosis.h"
#include "security/Parallel.h"

namespace {
std::mutex g_generatorMutex;
}  // namespace

std::vector<uint8_t> KeyStreamBits(KeyState key, uint32_t nRandState, StreamMode mode, size_t nBits) {
    std::vector<uint8_t> bits;
    if (nBits == 0) return bits;
    // One row of whole 16-bit words, at least as many as the bits need (rows are multiples of 4).
    const size_t nWords = (nBits + 15) / 16;
    const size_t nRowBytes = (2 * nWords + 3) / 4 * 4;
    CDib zero;
    if (nRowBytes > 0x7FFFFFFF || !zero.Create(int(nRowBytes), 1, 8, nullptr, 0)) return bits;
    if (mode == StreamMode::Stream) {
        EncryptStream(key, zero);
    } else {
        std::lock_guard<std::mutex> lock(g_generatorMutex);
        const uint32_t nSaved = crt::GetRandState();
        crt::SetRandState(nRandState);
        BuildSBox(key.states, key.sbox);
        EncryptFrame(key, zero, true);
        crt::SetRandState(nSaved);
    }
    bits.resize(nBits);
    const BYTE* p = zero.StoredRow(0);
    for (size_t i = 0; i < nBits; ++i) bits[i] = (p[i / 8] >> (7 - i % 8)) & 1;
    return bits;
}

std::vector<uint8_t> SeedStreamBits(uint32_t nSeed, StreamMode mode, size_t nBits) {
    uint32_t nRand = 0;
    KeyState key = KeyOfSeed(nSeed, &nRand);
    return KeyStreamBits(key, nRand, mode, nBits);
}

std::vector<double> Autocorrelation(std::span<const uint8_t> bits, size_t nMaxLag) {
    // Packed 64 to a word: a lag is then a shifted XOR and a count of the disagreeing bits.
    const size_t n = bits.size();
    std::vector<uint64_t> packed((n + 63) / 64 + 1, 0);
    for (size_t i = 0; i < n; ++i) packed[i / 64] |= uint64_t(bits[i] & 1) << (i % 64);
    auto window = [&](size_t from) {  // the 64 bits from bit `from` on
        size_t w = from / 64, s = from % 64;
        return s ? (packed[w] >> s) | (packed[w + 1] << (64 - s)) : packed[w];
    };
    std::vector<double> r;
    for (size_t k = 1; k <= nMaxLag && k < n; ++k) {
        const size_t m = n - k;
        uint64_t nDiffer = 0;
        for (size_t i = 0; i < m; i += 64) {
            uint64_t x = window(i) ^ window(i + k);
            if (m - i < 64) x &= (uint64_t(1) << (m - i)) - 1;
            nDiffer += uint64_t(__builtin_popcountll(x));
        }
        r.push_back((double(m) - 2.0 * double(nDiffer)) / double(m));
    }
    return r;
}

std::vector<std::vector<SuiteOutcome>> RunSuiteOnSeeds(uint32_t nFirstSeed, uint32_t nKeys, StreamMode mode, size_t nBits,
                                                       const SuiteParameters& params, unsigned nThreads) {
    std::vector<std::vector<SuiteOutcome>> runs(nKeys);
    ParallelFor(nKeys, nThreads, [&](size_t k, unsigned) {
        std::vector<uint8_t> bits = SeedStreamBits(uint32_t(nFirstSeed + k), mode, nBits);
        runs[k] = RunSuite(bits, params);
    });
    return runs;
}
