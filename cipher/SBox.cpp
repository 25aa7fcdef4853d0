// The S-box as a stable radix sort.  Ranking ascending with equal values in descending index
// order is the same as sorting the indices 255, 254, ... 0 by value with a stable sort: two
// counting passes, low byte then high byte.
#include "cipher/ChaoticMap.h"

void BuildSBox(const WORD values[256], BYTE sbox[256]) {
    unsigned low[256] = {}, high[256] = {};
    for (int j = 0; j < 256; ++j) {
        ++low[values[j] & 0xFF];
        ++high[values[j] >> 8];
    }
    unsigned sumLow = 0, sumHigh = 0;
    for (int v = 0; v < 256; ++v) {
        unsigned l = low[v], h = high[v];
        low[v] = sumLow;
        high[v] = sumHigh;
        sumLow += l;
        sumHigh += h;
    }
    BYTE byLow[256];
    for (int j = 255; j >= 0; --j) byLow[low[values[j] & 0xFF]++] = BYTE(j);
    for (int t = 0; t < 256; ++t) {
        BYTE j = byLow[t];
        sbox[high[values[j] >> 8]++] = j;
    }
}
