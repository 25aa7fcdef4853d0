// Histograms, smoothing, window modes, profiles and projections: worked values, ties, the ends
// of the range, and refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "ipdib/IPDib.h"
#include "tests/support/IPDibImages.h"

using namespace moro_test;

TEST(GrayHist, GreyPixelsCountAtTheirOwnLevelAndColoursAreTruncated) {
    // Every grey (v, v, v) once, then three colours: (0, 0, 1) has L = 0.3 and (10, 20, 30)
    // L = 21.9, both truncated; four pixels at level 21 in all make it the peak.
    std::vector<Bgr> pixels;
    for (int v = 0; v < 256; ++v) pixels.push_back({v, v, v});
    pixels.push_back({0, 0, 1});
    for (int i = 0; i < 3; ++i) pixels.push_back({10, 20, 30});
    CIPDib dib;
    MakeColour(dib, 260, 1, pixels);
    dib.CalcGrayHist();
    EXPECT_EQ(dib.m_bHistValid, 1);
    for (int v = 0; v < 256; ++v) {
        double expected = (v == 0 ? 2 : v == 21 ? 4 : 1) / 260.0;
        ASSERT_EQ(dib.m_dHist[v], expected) << v;
    }
    EXPECT_EQ(dib.m_nHistPeak, 21);
    EXPECT_EQ(dib.m_dHistMax, 4 / 260.0);
    EXPECT_EQ(dib.m_dHistCum[0], 2 / 260.0);
    EXPECT_EQ(dib.m_dHistCum[21], 26 / 260.0);
    EXPECT_EQ(dib.m_dHistCum[255], 1.0);
}

TEST(GrayHist, AUniformImageAndTies) {
    CIPDib dib;
    MakeGrey(dib, 3, 2, {7, 7, 7, 7, 7, 7});
    dib.CalcGrayHist();
    EXPECT_EQ(dib.m_dHist[7], 1.0);
    EXPECT_EQ(dib.m_dHistMax, 1.0);
    EXPECT_EQ(dib.m_nHistPeak, 7);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(dib.m_dHistCum[i], i < 7 ? 0.0 : 1.0) << i;

    MakeGrey(dib, 4, 1, {200, 9, 200, 9});
    dib.CalcGrayHist();
    EXPECT_EQ(dib.m_nHistPeak, 9);  // the lower level wins a tie
    EXPECT_EQ(dib.m_dHistMax, 0.5);

    // Other depths, and an object without an image, leave everything as it was.
    CIPDib empty, four;
    empty.CalcGrayHist();
    ASSERT_TRUE(four.Create(4, 4, 4));
    four.CalcGrayHist();
    EXPECT_EQ(empty.m_bHistValid, 0);
    EXPECT_EQ(four.m_bHistValid, 0);
}

TEST(ColorHist, EachChannelOnItsOwnWithTheSameTieRule) {
    CIPDib dib;
    MakeColour(dib, 4, 1, {{1, 50, 9}, {1, 60, 9}, {2, 50, 8}, {2, 60, 8}});
    dib.CalcColorHist();
    EXPECT_EQ(dib.m_bColorHistValid, 1);
    EXPECT_EQ(dib.m_bHistValid, 0);  // the grey tables are not touched
    EXPECT_EQ(dib.m_nColorHistPeak[0], 1);
    EXPECT_EQ(dib.m_nColorHistPeak[1], 50);
    EXPECT_EQ(dib.m_nColorHistPeak[2], 8);
    EXPECT_EQ(dib.m_dColorHist[2][9], 0.5);
    EXPECT_EQ(dib.m_dColorHistMax[1], 0.5);
    EXPECT_EQ(dib.m_dColorHistCum[1][59], 0.5);
    EXPECT_EQ(dib.m_dColorHistCum[0][255], 1.0);

    CIPDib grey;
    MakeGrey(grey, 2, 1, {1, 2});
    grey.CalcColorHist();
    EXPECT_EQ(grey.m_bColorHistValid, 0);
}

TEST(SmoothHist, MovingAverageUsesOnlyTheLevelsThatExist) {
    CIPDib dib;  // needs no image
    std::vector<double> h(256);
    std::iota(h.begin(), h.end(), 0.0);
    std::vector<double> same = h;
    EXPECT_EQ(dib.SmoothHist(h.data(), 0, 0), 1);
    EXPECT_EQ(h, same);
    EXPECT_EQ(dib.SmoothHist(h.data(), 1, 0), 1);
    EXPECT_EQ(h[0], 0.5);    // mean of entries 0 and 1
    EXPECT_EQ(h[100], 100.0);
    EXPECT_EQ(h[255], 254.5);

    h = same;
    EXPECT_EQ(dib.SmoothHist(h.data(), 128, 0), 0);
    EXPECT_EQ(dib.SmoothHist(h.data(), -1, 1), 0);
    EXPECT_EQ(h, same);
    EXPECT_EQ(dib.SmoothHist(nullptr, 3, 0), 0);
}

TEST(SmoothHist, GaussianWeightsAddUpToOneAndAreLostAtTheEnds) {
    CIPDib dib;
    std::vector<double> h(256, 0.0);
    h[128] = 1.0;
    ASSERT_EQ(dib.SmoothHist(h.data(), 3, 1), 1);
    // sigma 1: the weights are exp(-k^2 / 2) over their sum.
    double sum = 0;
    for (int k = -3; k <= 3; ++k) sum += std::exp(-k * k / 2.0);
    EXPECT_NEAR(h[128], 1 / sum, 1e-15);
    EXPECT_NEAR(h[130], std::exp(-2.0) / sum, 1e-15);
    EXPECT_EQ(h[125], h[131]);
    EXPECT_EQ(h[124], 0.0);

    std::vector<double> ones(256, 1.0);
    ASSERT_EQ(dib.SmoothHist(ones.data(), 3, 1), 1);
    EXPECT_NEAR(ones[128], 1.0, 1e-15);
    EXPECT_NEAR(ones[0], (std::exp(0.0) + std::exp(-0.5) + std::exp(-2.0) + std::exp(-4.5)) / sum, 1e-15);

    // No width: each value stays (not 0 / 0 everywhere).
    std::vector<double> ramp(256);
    std::iota(ramp.begin(), ramp.end(), 0.0);
    std::vector<double> same = ramp;
    ASSERT_EQ(dib.SmoothHist(ramp.data(), 0, 1), 1);
    EXPECT_EQ(ramp, same);
}

TEST(RegionMode, StoredRowsBoundsIncludedAndRefusals) {
    CIPDib dib;
    // Stored row 0 (the bottom of the picture) is 5 5 9; row 1 is 9 9 2.
    MakeGrey(dib, 3, 2, {5, 5, 9, 9, 9, 2});
    EXPECT_EQ(dib.GetRegionMode(0, 0, 2, 0), 5);
    EXPECT_EQ(dib.GetRegionMode(0, 0, 2, 1), 9);
    EXPECT_EQ(dib.GetRegionMode(1, 0, 2, 1), 9);
    EXPECT_EQ(dib.GetRegionMode(1, 0, 2, 0), 5);  // 5 and 9 once each: the lower
    EXPECT_EQ(dib.GetRegionMode(0, 0, 3, 1), -1);  // right equal to the width
    EXPECT_EQ(dib.GetRegionMode(0, 0, 2, 2), -1);
    EXPECT_EQ(dib.GetRegionMode(-1, 0, 1, 1), -1);
    EXPECT_EQ(dib.GetRegionMode(2, 0, 1, 1), -1);  // empty: nothing to count
    EXPECT_EQ(dib.GetRegionMode(0, 1, 1, 0), -1);

    CIPDib colour, empty;
    MakeColour(colour, 1, 1, {{1, 2, 3}});
    EXPECT_EQ(colour.GetRegionMode(0, 0, 0, 0), -1);
    EXPECT_EQ(empty.GetRegionMode(0, 0, 0, 0), -1);
}

TEST(LineProfile, RowsFromTheTopColumnsFromTheBottomColoursRoundedAtRandom) {
    CIPDib dib;
    MakeGrey(dib, 3, 2, {1, 2, 3, 4, 5, 6});
    BYTE out[4] = {0, 0, 0, 77};
    dib.GetLineProfile(0, 0, out);  // picture row 0 is stored row 1
    EXPECT_EQ(std::vector<BYTE>(out, out + 4), (std::vector<BYTE>{4, 5, 6, 77}));
    dib.GetLineProfile(1, 2, out);  // column 2, bottom first
    EXPECT_EQ(std::vector<BYTE>(out, out + 4), (std::vector<BYTE>{3, 6, 6, 77}));
    dib.GetLineProfile(0, 2, out);  // outside: nothing written
    dib.GetLineProfile(1, -1, out);
    EXPECT_EQ(out[0], 3);

    // (b 8, g 8, r 3) is 6.5 exactly when blue comes first: one draw; (b 44, g 4, r 1) falls
    // just below 7.5 in that order: 7 without a draw.
    CIPDib colour;
    MakeColour(colour, 3, 1, {{8, 8, 3}, {44, 4, 1}, {255, 255, 255}});
    crt::srand(1);  // first draw 41: rounds down
    uint32_t before = crt::GetRandState();
    colour.GetLineProfile(0, 0, out);
    EXPECT_EQ(DrawsSince(before), 1);
    EXPECT_EQ(std::vector<BYTE>(out, out + 3), (std::vector<BYTE>{6, 7, 255}));
}

TEST(Projection, ColumnAndRowSumsScaledToTheLargest) {
    CIPDib dib;
    MakeGrey(dib, 3, 2, {1, 2, 3, 4, 5, 6});
    double cols[3], rows[3] = {0, 0, -7};
    dib.GetProjection(0, cols);
    EXPECT_EQ(cols[0], 5.0 / 9);
    EXPECT_EQ(cols[2], 1.0);
    dib.GetProjection(1, rows);  // picture row 0 is stored row 1 (sum 15)
    EXPECT_EQ(rows[0], 1.0);
    EXPECT_EQ(rows[1], 6.0 / 15);
    EXPECT_EQ(rows[2], -7);

    MakeGrey(dib, 2, 1, {0, 0});
    dib.GetProjection(0, cols);  // all black: zeros, not 0 / 0
    EXPECT_EQ(cols[0], 0.0);
    EXPECT_EQ(cols[1], 0.0);

    CIPDib colour;  // grey levels are not rounded here, and nothing is drawn
    MakeColour(colour, 2, 1, {{8, 8, 3}, {0, 0, 10}});
    uint32_t before = crt::GetRandState();
    colour.GetProjection(1, rows);
    EXPECT_EQ(rows[0], 1.0);
    colour.GetProjection(0, cols);
    EXPECT_EQ(cols[0], 1.0);
    EXPECT_EQ(cols[1], 3.0 / (0.11 * 8 + 0.59 * 8 + 0.3 * 3));
    EXPECT_EQ(DrawsSince(before), 0);
}
