// The line accumulator: against the step-by-step form over random images and sizes, the vertical
// line of the worked example, and sizes that cannot be used.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "ipdib/reference/Literal.h"
#include "tests/support/Filters.h"

using namespace moro_test;

TEST(HoughLines, MatchesTheStepByStepForm) {
    std::mt19937 rng(61);
    for (int nCase = 0; nCase < 60; ++nCase) {
        CIPDib dib;
        int w = 1 + int(rng() % 40), h = 1 + int(rng() % 40);
        int nRho = 1 + int(rng() % 70), nTheta = 1 + int(rng() % 90), bBlack = int(rng() % 2);
        MakeRandomGrey(dib, w, h, rng, 2);
        for (int r = 0; r < h; ++r)
            for (int x = 0; x < w; ++x) dib.StoredRow(r)[x] *= 255;
        std::vector<int> fast(size_t(nRho) * size_t(nTheta), -1), slow(fast.size(), -2);
        dib.HoughLines(fast.data(), nRho, nTheta, bBlack);
        literal::HoughLines(dib, slow.data(), nRho, nTheta, bBlack);
        ASSERT_EQ(fast, slow) << nCase;
    }
}

TEST(HoughLines, VerticalLineVotesIntoOneBinAtAngleZero) {
    CIPDib dib;
    dib.Create(30, 40, 8, nullptr, 0);
    for (int y = 0; y < 40; ++y) dib.SetPixel(17, y, 255);
    const int nRho = 25, nTheta = 12;
    std::vector<int> acc(size_t(nRho) * size_t(nTheta));
    dib.HoughLines(acc.data(), nRho, nTheta, 0);
    int nBin = int(17 / (50.0 / nRho));
    for (int r = 0; r < nRho; ++r) EXPECT_EQ(acc[size_t(r)], r == nBin ? 40 : 0) << r;
    long long nVotes = 0;
    for (int v : acc) nVotes += v;
    EXPECT_EQ(nVotes, 40LL * nTheta);
}

TEST(HoughLines, UnusableSizesWriteNothing) {
    CIPDib dib;
    dib.Create(4, 4, 8, nullptr, 255);
    std::vector<int> acc(16, -1);
    dib.HoughLines(acc.data(), 0, 4, 0);
    dib.HoughLines(acc.data(), 4, 0, 0);
    dib.HoughLines(acc.data(), -4, -4, 0);
    dib.HoughLines(acc.data(), INT_MAX, 2, 0);
    dib.HoughLines(nullptr, 4, 4, 0);
    EXPECT_EQ(acc, std::vector<int>(16, -1));
}
