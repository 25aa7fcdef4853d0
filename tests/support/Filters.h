// Test support for the neighbourhood filters: random grey images, kernels and masks, and the
// pixels of an image as one vector to compare.
#pragma once

#include <cstring>
#include <random>
#include <vector>

#include "ipdib/IPDib.h"
#include "tests/support/IPDibImages.h"

namespace moro_test {

// An 8-bit image of random levels below nLevels (few levels make ties and exact halves common),
// row padding filled with a marker that must survive.
inline void MakeRandomGrey(CIPDib& dib, int w, int h, std::mt19937& rng, int nLevels = 256) {
    dib.Create(w, h, 8, nullptr, 0);
    for (int r = 0; r < h; ++r) {
        BYTE* row = dib.StoredRow(r);
        for (int t = 0; t < dib.m_nRowBytes; ++t) row[t] = t < w ? BYTE(rng() % unsigned(nLevels)) : 0xA5;
    }
}

// An image whose pixel (x, y) holds 10 y + x + 1: every position tells where it was read.
inline void MakeNumbered(CIPDib& dib, int w, int h) {
    dib.Create(w, h, 8, nullptr, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) dib.SetPixel(x, y, 10 * y + x + 1);
}

// n x n weights: zeros, exact ones and minus ones (the shortcuts), halves and quarters (exact
// halves in the responses), and arbitrary doubles (rounding in the sums).
inline std::vector<double> RandomKernel(int n, std::mt19937& rng) {
    std::vector<double> k(size_t(n) * size_t(n));
    std::uniform_real_distribution<double> any(-3.0, 3.0);
    for (double& w : k) {
        switch (rng() % 6) {
            case 0: w = 0; break;
            case 1: w = 1; break;
            case 2: w = -1; break;
            case 3: w = 0.5; break;
            case 4: w = -0.25; break;
            default: w = any(rng); break;
        }
    }
    return k;
}

inline std::vector<BYTE> RandomMask(int w, int h, std::mt19937& rng) {
    std::vector<BYTE> mask(size_t(w) * size_t(h));
    for (BYTE& m : mask) m = rng() % 3 ? BYTE(rng() % 255 + 1) : 0;
    return mask;
}

inline std::vector<BYTE> Pixels(const CDib& dib) {
    return std::vector<BYTE>(dib.m_lpBits, dib.m_lpBits + size_t(dib.m_nRowBytes) * size_t(dib.m_nHeight));
}


}  // namespace moro_test
