// Local statistics and the nearest-to-the-mean filter: against the step-by-step forms over random
// images, windows, masks and border modes, and the worked cases.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ipdib/reference/Literal.h"
#include "tests/support/Filters.h"

using namespace moro_test;

TEST(LocalStatistics, MatchTheStepByStepFormBitForBit) {
    std::mt19937 rng(41);
    for (int nCase = 0; nCase < 150; ++nCase) {
        CIPDib dib;
        int w = 1 + int(rng() % 14), h = 1 + int(rng() % 12);
        int a = 1 + 2 * int(rng() % 5), b = 1 + 2 * int(rng() % 5);  // also wider than the image
        MakeRandomGrey(dib, w, h, rng, rng() % 2 ? 256 : 3);
        dib.m_nBorderMode = int(rng() % 5);
        int l = int(rng() % unsigned(w)), t = int(rng() % unsigned(h));
        CRect rect = nCase % 2 ? CRect(0, 0, w - 1, h - 1)
                               : CRect(l, t, l + int(rng() % unsigned(w - l)), t + int(rng() % unsigned(h - t)));
        size_t nCount = size_t(rect.Width() + 1) * size_t(rect.Height() + 1);
        std::vector<double> mean(nCount, -1), sd(nCount, -1), meanSlow = mean, sdSlow = sd;
        if (nCase % 2) dib.LocalMeanStd(a, b, mean.data(), sd.data());
        else dib.LocalMeanStdRect(a, b, rect, mean.data(), sd.data());
        literal::LocalMeanStdRect(dib, a, b, rect, meanSlow.data(), sdSlow.data());
        ASSERT_TRUE(SameBits(mean, meanSlow)) << nCase;
        ASSERT_TRUE(SameBits(sd, sdSlow)) << nCase;
    }
}

TEST(LocalStatistics, ConstantImageAndTheBorders) {
    CIPDib dib;
    dib.Create(5, 4, 8, nullptr, 60);
    std::vector<double> mean(20), sd(20);
    for (int nMode = 1; nMode <= 3; ++nMode) {
        dib.m_nBorderMode = nMode;
        dib.LocalMeanStd(3, 3, mean.data(), sd.data());
        EXPECT_EQ(mean, std::vector<double>(20, 60.0));
        EXPECT_EQ(sd, std::vector<double>(20, 0.0));
    }
    dib.m_nBorderMode = 0;
    dib.LocalMeanStd(3, 3, mean.data(), sd.data());
    EXPECT_EQ(mean[0], 60.0 * 4 / 9);  // a corner sees four pixels
    EXPECT_EQ(mean[1], 60.0 * 6 / 9);
    EXPECT_EQ(mean[6], 60.0);          // stored row 1, column 1: inside
}

TEST(LocalStatistics, OnePixelWindowHasNoSpread) {
    std::mt19937 rng(42);
    CIPDib dib;
    MakeRandomGrey(dib, 4, 3, rng);
    std::vector<double> mean(12), sd(12, -1);
    dib.LocalMeanStd(1, 1, mean.data(), sd.data());
    for (int r = 0; r < 3; ++r)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(mean[size_t(r) * 4 + size_t(x)], dib.StoredRow(r)[x]);
    EXPECT_EQ(sd, std::vector<double>(12, 0.0));
}

TEST(LocalStatistics, RefusalsWriteNothing) {
    std::mt19937 rng(43);
    CIPDib dib;
    MakeRandomGrey(dib, 4, 3, rng);
    std::vector<double> mean(64, -1), sd(64, -1);
    dib.LocalMeanStd(2, 3, mean.data(), sd.data());
    dib.LocalMeanStd(3, 0, mean.data(), sd.data());
    dib.LocalMeanStd(-1, 3, mean.data(), sd.data());
    dib.LocalMeanStd(65537, 65537, mean.data(), sd.data());  // a x b beyond an int
    dib.LocalMeanStd(3, 3, nullptr, sd.data());
    dib.LocalMeanStdRect(3, 3, CRect(0, 0, 4, 2), mean.data(), sd.data());
    dib.LocalMeanStdRect(3, 3, CRect(0, 2, 3, 1), mean.data(), sd.data());
    EXPECT_EQ(mean, std::vector<double>(64, -1));
    EXPECT_EQ(sd, std::vector<double>(64, -1));
}

TEST(NearestToMean, MatchesTheStepByStepForm) {
    std::mt19937 rng(44);
    for (int nCase = 0; nCase < 150; ++nCase) {
        CIPDib dib, slow;
        int w = 1 + int(rng() % 12), h = 1 + int(rng() % 10);
        int a = 1 + 2 * int(rng() % 4), b = 1 + 2 * int(rng() % 4);
        MakeRandomGrey(dib, w, h, rng, rng() % 2 ? 256 : 4);
        dib.m_nBorderMode = int(rng() % 5);
        slow.Copy(dib);
        slow.m_nBorderMode = dib.m_nBorderMode;
        std::vector<BYTE> mask = RandomMask(a, b, rng);
        dib.NearestToMeanFilter(mask.data(), a, b);
        literal::NearestToMeanFilter(slow, mask.data(), a, b);
        ASSERT_EQ(Pixels(dib), Pixels(slow)) << nCase;  // the row padding too
    }
}

TEST(NearestToMean, WorkedCases) {
    CIPDib dib;
    dib.Create(5, 5, 8, nullptr, 40);
    dib.SetPixel(2, 2, 250);
    dib.m_bHistValid = 1;
    std::vector<BYTE> ones(9, 1);
    dib.NearestToMeanFilter(ones.data(), 3, 3);
    EXPECT_EQ(dib.GetPixel(2, 2), 40);  // the bright pixel gives way to the flat value
    EXPECT_EQ(dib.m_bHistValid, 0);

    // Mask row 0 is the top of the window: a 1 x 3 mask {1, 0, 0} takes the pixel above.
    MakeNumbered(dib, 3, 4);
    CIPDib before;
    before.Copy(dib);
    std::vector<BYTE> top = {1, 0, 0};
    dib.NearestToMeanFilter(top.data(), 1, 3);
    for (int y = 1; y < 4; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(dib.GetPixel(x, y), before.GetPixel(x, y - 1));

    std::vector<BYTE> none(9, 0);
    dib.NearestToMeanFilter(none.data(), 3, 3);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(dib.GetPixel(x, y), 0);
}

TEST(NearestToMean, RefusalsLeaveTheImage) {
    std::mt19937 rng(45);
    CIPDib dib;
    MakeRandomGrey(dib, 6, 5, rng);
    std::vector<BYTE> before = Pixels(dib), mask(64, 1);
    dib.NearestToMeanFilter(mask.data(), 2, 3);
    dib.NearestToMeanFilter(mask.data(), 3, -1);
    dib.NearestToMeanFilter(nullptr, 3, 3);
    EXPECT_EQ(Pixels(dib), before);
}
