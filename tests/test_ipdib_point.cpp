// Grey conversion and the point operations: worked values, the order of the grey sums at exact
// halves, how many random draws each makes, and the histogram flag.
#include <gtest/gtest.h>

#include <vector>

#include "ipdib/IPDib.h"
#include "tests/support/IPDibImages.h"

using namespace moro_test;

TEST(ConvertToGray, MasksAndASecondConversion) {
    CIPDib dib;
    MakeColour(dib, 1, 1, {{30, 60, 90}});
    dib.m_bHistValid = 1;
    dib.ConvertToGray(1);  // 65.7 into red only
    EXPECT_EQ(PixelAt(dib, 0, 0), (Bgr{0, 0, 66}));
    EXPECT_EQ(dib.m_bGrayed, 1);
    EXPECT_EQ(dib.m_bHistValid, 0);
    dib.ConvertToGray(4);  // finds 66 in red and moves it to blue
    EXPECT_EQ(PixelAt(dib, 0, 0), (Bgr{66, 0, 0}));
    dib.ConvertToGray(0);
    EXPECT_EQ(PixelAt(dib, 0, 0), (Bgr{66, 66, 66}));
    dib.ConvertToGray(8);  // selects no channel
    EXPECT_EQ(PixelAt(dib, 0, 0), (Bgr{0, 0, 0}));
}

TEST(ConvertToGray, RedComesFirstInTheSumAndDecidesTheDraws) {
    // (r 1, g 4, b 44) is 7.5 exactly with red first: a draw.  (r 3, g 8, b 8) is just below 6.5
    // in that order: no draw.  Seed 1 draws 41, then 18467: down, then up.
    CIPDib dib;
    MakeColour(dib, 2, 2, {{44, 4, 1}, {8, 8, 3}, {8, 8, 3}, {44, 4, 1}});
    crt::srand(1);
    uint32_t before = crt::GetRandState();
    dib.ConvertToGray(0);
    EXPECT_EQ(DrawsSince(before), 2);
    EXPECT_EQ(PixelAt(dib, 0, 0)[0], 7);  // stored row 0 first
    EXPECT_EQ(PixelAt(dib, 1, 0)[0], 6);
    EXPECT_EQ(PixelAt(dib, 1, 1)[0], 8);
    before = crt::GetRandState();
    dib.ConvertToGray(0);  // already grey: no sums, no draws
    EXPECT_EQ(DrawsSince(before), 0);
}

TEST(ConvertToGray, OtherDepthsConvertTheirPaletteOnly) {
    CIPDib dib;
    MakeGrey(dib, 2, 1, {0, 1});
    dib.m_lpPalette[1] = RGBQUAD{30, 60, 90, 5};
    dib.m_bHistValid = 1;
    dib.ConvertToGray(2);
    EXPECT_EQ(dib.m_lpPalette[1].rgbGreen, 66);
    EXPECT_EQ(dib.m_lpPalette[1].rgbRed, 0);
    EXPECT_EQ(dib.m_lpPalette[1].rgbReserved, 5);
    EXPECT_EQ(dib.StoredRow(0)[1], 1);
    EXPECT_EQ(dib.m_bGrayed, 1);
    EXPECT_EQ(dib.m_bHistValid, 1);  // no pixel byte changed
    dib.ConvertToGray(1);  // the first non-zero channel, red, green, blue in that order
    EXPECT_EQ(dib.m_lpPalette[1].rgbRed, 66);
    EXPECT_EQ(dib.m_lpPalette[1].rgbGreen, 0);
}

TEST(ConvertTo8Bit, TheSevenMixesAndTheirDraws) {
    CIPDib white;
    MakeColour(white, 2, 1, {{255, 255, 255}, {255, 255, 255}});
    CDib out;
    for (int mode = 0; mode <= 6; ++mode) {
        white.ConvertTo8Bit(out, mode);
        ASSERT_EQ(out.m_nBitCount, 8);
        EXPECT_EQ(out.StoredRow(0)[1], 255) << mode;
    }
    white.ConvertTo8Bit(out, 7);
    EXPECT_EQ(out.m_nWidth, 2);
    EXPECT_EQ(out.StoredRow(0)[0], 0);
    EXPECT_EQ(out.m_lpPalette[200].rgbGreen, 200);  // the grey palette

    // Exact halves: mode 0 (b 8, g 8, r 3) 6.5 blue first and (b 0, g 0, r 25) 7.5, while
    // (b 44, g 4, r 1) falls just below 7.5; mode 3 (g 0, r 25) 8.5; mode 5 (b 0, r 50) 36.5.
    // Seed 1 draws 41 (down), then 18467 (up).
    CIPDib dib;
    MakeColour(dib, 4, 1, {{8, 8, 3}, {0, 0, 25}, {0, 0, 50}, {44, 4, 1}});
    const int nDraws[7] = {2, 0, 0, 1, 0, 1, 0};
    const std::vector<int> expected[7] = {{6, 8, 15, 7}, {8, 0, 0, 44}, {8, 0, 0, 4}, {6, 8, 17, 3},
                                          {3, 25, 50, 1}, {4, 18, 36, 13}, {8, 0, 0, 10}};
    for (int mode = 0; mode <= 6; ++mode) {
        crt::srand(1);
        uint32_t before = crt::GetRandState();
        dib.ConvertTo8Bit(out, mode);
        EXPECT_EQ(DrawsSince(before), nDraws[mode]) << mode;
        std::vector<int> got(out.StoredRow(0), out.StoredRow(0) + 4);
        EXPECT_EQ(got, expected[mode]) << mode;
    }
}

TEST(ConvertTo8Bit, IntoItselfOrAnotherImageProcessingImage) {
    CIPDib dib;
    MakeColour(dib, 2, 1, {{1, 2, 3}, {4, 5, 6}});
    CIPDib dest;
    MakeGrey(dest, 1, 1, {9});
    dest.CalcGrayHist();
    dib.ConvertTo8Bit(dest, 4);
    EXPECT_EQ(dest.m_bHistValid, 0);  // its pixels are new
    EXPECT_EQ(dest.StoredRow(0)[1], 6);

    dib.m_bHistValid = 1;
    dib.ConvertTo8Bit(dib, 2);
    ASSERT_EQ(dib.m_nBitCount, 8);
    EXPECT_EQ(dib.StoredRow(0)[0], 2);
    EXPECT_EQ(dib.StoredRow(0)[1], 5);
    EXPECT_EQ(dib.m_bHistValid, 0);

    dib.ConvertTo8Bit(dest, 0);  // an 8-bit source: nothing happens
    EXPECT_EQ(dest.StoredRow(0)[1], 6);
}

TEST(LookUpTables, EveryByteOrEachChannelAndTheFlag) {
    BYTE inv[256], plus1[256];
    for (int v = 0; v < 256; ++v) inv[v] = BYTE(255 - v), plus1[v] = BYTE(v + 1);
    CIPDib dib;
    MakeColour(dib, 1, 1, {{10, 20, 30}});
    dib.m_bHistValid = 1;
    dib.ApplyLut(inv);
    EXPECT_EQ(PixelAt(dib, 0, 0), (Bgr{245, 235, 225}));
    EXPECT_EQ(dib.StoredRow(0)[3], 0);  // row padding is not a pixel
    EXPECT_EQ(dib.m_bHistValid, 0);
    dib.ApplyLut3(plus1, nullptr, inv);
    EXPECT_EQ(PixelAt(dib, 0, 0), (Bgr{246, 235, 30}));
    dib.m_bHistValid = 1;
    dib.ApplyLut3(nullptr, nullptr, nullptr);
    EXPECT_EQ(PixelAt(dib, 0, 0), (Bgr{246, 235, 30}));
    EXPECT_EQ(dib.m_bHistValid, 0);

    CIPDib grey, empty;
    MakeGrey(grey, 2, 1, {0, 255});
    grey.ApplyLut3(inv, inv, inv);  // 24-bit only
    EXPECT_EQ(grey.StoredRow(0)[0], 0);
    EXPECT_EQ(grey.m_bHistValid, 0);
    empty.ApplyLut(inv);  // no bitmap: nothing
    EXPECT_FALSE(empty.IsValid());
}

TEST(StretchContrast, MapsTheRangeAndLeavesAFlatImage) {
    CIPDib dib;
    MakeGrey(dib, 3, 1, {50, 100, 75});
    dib.StretchContrast();
    EXPECT_EQ(std::vector<int>(dib.StoredRow(0), dib.StoredRow(0) + 3), (std::vector<int>{0, 255, 127}));

    CIPDib flat;
    MakeColour(flat, 2, 1, {{40, 40, 40}, {40, 40, 40}});
    flat.StretchContrast();
    EXPECT_EQ(PixelAt(flat, 1, 0), (Bgr{40, 40, 40}));

    CIPDib colour;  // all channels share one range
    MakeColour(colour, 1, 1, {{10, 20, 30}});
    colour.StretchContrast();
    EXPECT_EQ(PixelAt(colour, 0, 0), (Bgr{0, 127, 255}));
}

TEST(EqualizeHist, MapsThroughTheCumulativeHistogramAndRecomputesIt) {
    CIPDib dib;
    MakeGrey(dib, 2, 1, {7, 7});
    dib.EqualizeHist();
    EXPECT_EQ(dib.StoredRow(0)[0], 255);  // 256 x 1.0, clamped
    EXPECT_EQ(dib.m_bHistValid, 0);

    // One pixel of 512 at level 0: 256 x 1/512 is 0.5 for levels 0 to 254 (255 draws); 255 is
    // clamped from 256 without one.
    std::vector<int> bytes(512, 255);
    bytes[0] = 0;
    MakeGrey(dib, 512, 1, bytes);
    crt::srand(1);
    uint32_t before = crt::GetRandState();
    dib.EqualizeHist();
    EXPECT_EQ(DrawsSince(before), 255);
    EXPECT_EQ(dib.StoredRow(0)[0], 0);  // first draw 41 rounds down
    EXPECT_EQ(dib.StoredRow(0)[1], 255);

    // A valid histogram is used as it stands; after a copy it is computed again.
    CIPDib other;
    MakeGrey(other, 2, 1, {7, 7});
    other.CalcGrayHist();
    other.StoredRow(0)[0] = 3;  // a CDib edit leaves the flag alone
    other.EqualizeHist();
    EXPECT_EQ(other.StoredRow(0)[0], 0);  // level 3 had no pixels in the old histogram
    MakeGrey(dib, 2, 1, {3, 3});
    other.CalcGrayHist();
    other.Copy(dib);
    other.EqualizeHist();
    EXPECT_EQ(other.StoredRow(0)[0], 255);
}

TEST(SetPaletteAndAbsDiff, CopyColoursAndDifferences) {
    CIPDib dib;
    MakeGrey(dib, 3, 1, {10, 200, 0});
    std::vector<RGBQUAD> palette(256, RGBQUAD{1, 2, 3, 4});
    dib.m_lpPalette[0].rgbReserved = 9;
    dib.m_bHistValid = 1;
    dib.SetPalette(palette.data());
    EXPECT_EQ(dib.m_lpPalette[0].rgbBlue, 1);
    EXPECT_EQ(dib.m_lpPalette[255].rgbRed, 3);
    EXPECT_EQ(dib.m_lpPalette[0].rgbReserved, 9);
    EXPECT_EQ(dib.m_bHistValid, 0);

    CDib other;
    MakeGrey(other, 3, 1, {30, 100, 255});
    dib.m_bHistValid = 1;
    dib.AbsDiff(other);
    EXPECT_EQ(std::vector<int>(dib.StoredRow(0), dib.StoredRow(0) + 3), (std::vector<int>{20, 100, 255}));
    EXPECT_EQ(dib.m_bHistValid, 0);
    CDib wider;
    MakeGrey(wider, 4, 1, {0, 0, 0, 0});
    dib.AbsDiff(wider);
    EXPECT_EQ(dib.StoredRow(0)[0], 20);
    dib.AbsDiff(dib);
    EXPECT_EQ(dib.StoredRow(0)[1], 0);
}
