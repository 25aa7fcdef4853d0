// The S-box as a sort.  Ranking ascending with equal values in descending index order is sorting
// the keys value * 256 + (255 - index), which are all different: the rank of each key is the same
// whatever sort finds it, and sbox[k] is 255 minus the low byte of the key of rank k.
//
// Without wide vectors: a counting sort on the high byte, then an insertion pass that orders each
// bucket by the rest of the key.  For a chaotic state the buckets hold one key on average, so the
// insertion pass rarely moves anything; for values crowded into a few buckets it costs up to
// 256 * 255 / 2 moves, still less than the selection's 65536 comparisons.
#include "cipher/ChaoticMap.h"
#include "cipher/Kernels.h"

namespace cipher {
void BuildSBoxCounting(const WORD values[256], BYTE sbox[256]) {
    uint32_t start[256] = {};  // 32-bit counts: narrower ones slow the stores down
    for (int j = 0; j < 256; ++j) ++start[values[j] >> 8];
    uint32_t sum = 0;
    for (int v = 0; v < 256; v += 2) {
        uint32_t a = start[v], b = start[v + 1];
        start[v] = sum;
        start[v + 1] = sum + a;
        sum += a + b;
    }
    uint32_t keys[256];
    // Descending index order, so that equal values arrive already in key order.
    for (int j = 255; j >= 0; --j) keys[start[values[j] >> 8]++] = uint32_t(values[j]) << 8 | uint32_t(255 - j);
    for (int i = 1; i < 256; ++i) {
        uint32_t x = keys[i];
        if (x < keys[i - 1]) {
            int t = i;
            do {
                keys[t] = keys[t - 1];
                --t;
            } while (t > 0 && keys[t - 1] > x);
            keys[t] = x;
        }
    }
    for (int i = 0; i < 256; ++i) sbox[i] = BYTE(~keys[i]);
}
}  // namespace cipher

void BuildSBox(const WORD values[256], BYTE sbox[256]) { cipher::ActiveKernels().BuildSBox(values, sbox); }

bool IsPermutation(const BYTE sbox[256]) {
    uint64_t seen[4] = {};
    for (int k = 0; k < 256; ++k) seen[sbox[k] / 64] |= uint64_t(1) << (sbox[k] % 64);
    return (seen[0] & seen[1] & seen[2] & seen[3]) == ~uint64_t(0);
}

bool InvertSBox(const BYTE sbox[256], BYTE inverse[256]) {
    if (!IsPermutation(sbox)) return false;
    for (int i = 0; i < 256; ++i) inverse[sbox[i]] = BYTE(i);
    return true;
}
