// The negative and the inversion of pixel bytes at each depth.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/support/Filters.h"

using namespace moro_test;

TEST(Negative, PaletteImagesInvertTheirPaletteOnly) {
    for (int nBits : {1, 4, 8}) {
        CIPDib dib;
        dib.Create(5, 3, nBits, nullptr, 1);
        dib.m_lpPalette[1] = RGBQUAD{10, 20, 30, 7};
        std::vector<BYTE> pixels = Pixels(dib);
        dib.m_bHistValid = 1;
        dib.Negative();
        EXPECT_EQ(dib.m_bHistValid, 0);
        EXPECT_EQ(Pixels(dib), pixels) << nBits;
        EXPECT_EQ(dib.m_lpPalette[1].rgbBlue, 245);
        EXPECT_EQ(dib.m_lpPalette[1].rgbGreen, 235);
        EXPECT_EQ(dib.m_lpPalette[1].rgbRed, 225);
        EXPECT_EQ(dib.m_lpPalette[1].rgbReserved, 7);
        EXPECT_EQ(dib.m_lpPalette[0].rgbRed, 255);
        dib.Negative();
        EXPECT_EQ(dib.m_lpPalette[1].rgbRed, 30);
        EXPECT_EQ(dib.m_lpPalette[0].rgbRed, 0);
    }
}

TEST(Negative, ColourImagesInvertEveryPixelByteWithThePadding) {
    std::mt19937 rng(71);
    CIPDib dib;
    dib.Create(3, 2, 24, nullptr, 0);
    for (int r = 0; r < 2; ++r)
        for (int t = 0; t < dib.m_nRowBytes; ++t) dib.StoredRow(r)[t] = BYTE(rng());
    std::vector<BYTE> before = Pixels(dib);
    dib.Negative();
    std::vector<BYTE> after = Pixels(dib);
    for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(after[i], 255 - before[i]);

    CIPDib grey;
    MakeRandomGrey(grey, 5, 2, rng);
    before = Pixels(grey);
    grey.m_bHistValid = 1;
    grey.InvertPixels();
    EXPECT_EQ(grey.m_bHistValid, 0);
    after = Pixels(grey);
    for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(after[i], 255 - before[i]);

    CIPDib four;
    four.Create(5, 2, 4, nullptr, 3);
    before = Pixels(four);
    four.m_bHistValid = 1;
    four.InvertPixels();  // other depths are left alone
    EXPECT_EQ(Pixels(four), before);
    EXPECT_EQ(four.m_bHistValid, 1);
    CIPDib empty;
    empty.InvertPixels();
    empty.Negative();
}
