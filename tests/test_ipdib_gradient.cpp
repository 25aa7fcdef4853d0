// The gradient: magnitude and direction against the step-by-step form, the vertical edge of the
// worked example, the signs of the directions, and the refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "ipdib/reference/Literal.h"
#include "tests/support/Filters.h"

using namespace moro_test;

namespace {

constexpr double kHalfPi = 1.5707963267948966;

// Flat 20 on the left of column 3, flat 70 from it on.
void MakeVerticalEdge(CIPDib& dib) {
    dib.Create(6, 4, 8, nullptr, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) dib.SetPixel(x, y, x < 3 ? 20 : 70);
}

size_t Index(const CIPDib& dib, int x, int y) { return size_t(dib.m_nHeight - 1 - y) * size_t(dib.m_nRowBytes) + size_t(x); }

}  // namespace

TEST(Gradient, MatchesTheStepByStepForm) {
    std::mt19937 rng(31);
    for (int nCase = 0; nCase < 60; ++nCase) {
        CIPDib dib;
        int w = 1 + int(rng() % 11), h = 1 + int(rng() % 9);
        MakeRandomGrey(dib, w, h, rng, 1 + int(rng() % 8));
        dib.m_nBorderMode = int(rng() % 5);
        dib.m_bNoFlipKernel = int(rng() % 2);
        size_t nCount = size_t(dib.m_nRowBytes) * size_t(h);
        std::vector<double> mag(nCount, 0.0), dir(nCount, 0.0), magSlow = mag, dirSlow = dir;
        dib.Gradient(mag.data(), dir.data());
        literal::Gradient(dib, magSlow.data(), dirSlow.data());
        ASSERT_TRUE(SameBits(mag, magSlow)) << nCase;
        ASSERT_TRUE(SameBits(dir, dirSlow)) << nCase;
    }
}

TEST(Gradient, VerticalEdgeStandsOnTheColumnRightOfIt) {
    CIPDib dib;
    MakeVerticalEdge(dib);
    size_t nCount = size_t(dib.m_nRowBytes) * 4;
    std::vector<double> mag(nCount), dir(nCount);
    dib.Gradient(mag.data(), dir.data());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            size_t i = Index(dib, x, y);
            EXPECT_EQ(mag[i], x == 3 ? 50.0 : 0.0) << x << "," << y;
            EXPECT_EQ(dir[i], x == 3 ? kHalfPi : 0.0) << x << "," << y;  // a = +0, b = 50; flat: 0
        }

    // Reflected kernels: b is the pixel minus the one to its right, -50 on column 2.
    dib.m_bNoFlipKernel = 0;
    dib.Gradient(mag.data(), dir.data());
    EXPECT_EQ(mag[Index(dib, 2, 1)], 50.0);
    EXPECT_EQ(dir[Index(dib, 2, 1)], -kHalfPi);
    EXPECT_EQ(mag[Index(dib, 3, 1)], 0.0);
}

TEST(Gradient, RectangleAgreesWithTheWholeImage) {
    std::mt19937 rng(32);
    CIPDib dib;
    MakeRandomGrey(dib, 9, 7, rng);
    dib.m_nBorderMode = 3;
    size_t nCount = size_t(dib.m_nRowBytes) * 7;
    std::vector<double> mag(nCount), dir(nCount);
    dib.Gradient(mag.data(), dir.data());
    CRect rect(0, 2, 4, 6);
    std::vector<double> rmag(25, -1), rdir(25, -1);
    dib.GradientRect(rect, rmag.data(), rdir.data());
    for (int r = 0; r < 5; ++r)
        for (int x = 0; x < 5; ++x) {
            size_t i = Index(dib, x, rect.bottom - r);
            EXPECT_EQ(rmag[size_t(r) * 5 + size_t(x)], mag[i]);
            EXPECT_EQ(rdir[size_t(r) * 5 + size_t(x)], dir[i]);
        }
}

TEST(Gradient, RefusalsWriteNothing) {
    CIPDib dib;
    MakeVerticalEdge(dib);
    std::vector<double> mag(64, -1), dir(64, -1);
    dib.Gradient(mag.data(), nullptr);
    dib.GradientRect(CRect(0, 0, 6, 3), mag.data(), dir.data());
    dib.GradientRect(CRect(2, 0, 1, 3), mag.data(), dir.data());
    CIPDib colour;
    colour.Create(4, 4, 24, nullptr, 0);
    colour.Gradient(mag.data(), dir.data());
    EXPECT_EQ(mag, std::vector<double>(64, -1));
    EXPECT_EQ(dir, std::vector<double>(64, -1));
}
