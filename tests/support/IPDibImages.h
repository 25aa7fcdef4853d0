// Test support for the image-processing suites: small images written byte by byte in stored-row
// order (row 0 is the bottom of the picture), and how many random draws an operation made.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "dib/Dib.h"
#include "platform/Rand.h"

namespace moro_test {

// An 8-bit image with the grey palette whose pixels are `bytes`, stored row 0 first.
inline void MakeGrey(CDib& dib, int w, int h, const std::vector<int>& bytes) {
    ASSERT_TRUE(dib.Create(w, h, 8));
    ASSERT_EQ(bytes.size(), size_t(w) * size_t(h));
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x) dib.StoredRow(r)[x] = BYTE(bytes[size_t(r) * w + x]);
}

// A 24-bit image whose pixels are (blue, green, red) triples, stored row 0 first.
using Bgr = std::array<int, 3>;
inline void MakeColour(CDib& dib, int w, int h, const std::vector<Bgr>& pixels) {
    ASSERT_TRUE(dib.Create(w, h, 24));
    ASSERT_EQ(pixels.size(), size_t(w) * size_t(h));
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) dib.StoredRow(r)[3 * x + c] = BYTE(pixels[size_t(r) * w + x][c]);
}

inline Bgr PixelAt(const CDib& dib, int x, int r) {
    const BYTE* p = dib.StoredRow(r) + 3 * x;
    return {p[0], p[1], p[2]};
}

// Random draws made since the generator stood at `before` (-1 if more than nMax).
inline int DrawsSince(uint32_t before, int nMax = 1 << 20) {
    uint32_t state = before, now = crt::GetRandState();
    for (int n = 0; n <= nMax; ++n, state = state * 214013u + 2531011u)
        if (state == now) return n;
    return -1;
}

// Whether two arrays of doubles hold the same bits (NaNs compare by their bits; -0 differs from +0).
inline bool SameBits(const double* a, const double* b, size_t n) { return std::memcmp(a, b, n * sizeof(double)) == 0; }
inline bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && SameBits(a.data(), b.data(), a.size());
}

}  // namespace moro_test
