// Drawing into images: the worked lines, rectangles and circles, the grey level of a colour and
// its one random draw, clipping at the image's edges, and text in Latin and Chinese.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>

#include "dib/Dib.h"
#include "tests/support/Images.h"

using namespace moro_test;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// The picture points (x, y) whose pixel differs from `fill`.
std::set<std::pair<int, int>> Painted(const CDib& dib, int fill) {
    std::set<std::pair<int, int>> points;
    for (int y = 0; y < dib.m_nHeight; ++y)
        for (int x = 0; x < dib.m_nWidth; ++x)
            if (dib.GetPixel(x, y) != fill) points.insert({x, y});
    return points;
}

using Points = std::set<std::pair<int, int>>;

}  // namespace

TEST(DrawLine, SamplesAlongXAndLeavesOutTheLastColumn) {
    for (int bits : {8, 24}) {
        CDib dib;
        ASSERT_TRUE(dib.Create(4, 4, bits, nullptr, 0));
        dib.DrawLine(0, 0, 3, 0, kBlue);  // step 3 / 4: t = 0, 0.75, 1.5, 2.25
        EXPECT_EQ(Painted(dib, 0), (Points{{0, 0}, {1, 0}, {2, 0}})) << bits;
        dib.DrawLine(3, 3, 1, 1, kBlue);  // the ends given the other way round
        EXPECT_TRUE(Painted(dib, 0).count({1, 1})) << bits;
        EXPECT_FALSE(Painted(dib, 0).count({3, 3})) << bits;
    }
    CDib colour;
    ASSERT_TRUE(colour.Create(4, 1, 24, nullptr, 0));
    colour.DrawLine(0, 0, 2, 0, RGB(1, 2, 3));
    EXPECT_EQ(std::memcmp(colour.m_lpBits, "\3\2\1\3\2\1\0", 7), 0);  // blue, green, red
}

TEST(DrawLine, AnEightBitImageGetsTheGreyOnceEvenWhenNothingIsPainted) {
    CDib dib;
    ASSERT_TRUE(dib.Create(4, 4, 8, nullptr, 0));
    crt::srand(1);  // 76.5 rounds down with 41, up with 18467
    dib.DrawLine(2, 0, 2, 3, kRed);
    EXPECT_TRUE(Painted(dib, 0).empty());
    dib.DrawLine(0, 1, 3, 1, kRed);
    EXPECT_EQ(dib.GetPixel(0, 1), 77);
    EXPECT_EQ(crt::rand(), 6334);  // one draw per call, none per pixel

    CDib colour;
    ASSERT_TRUE(colour.Create(4, 4, 24, nullptr, 0));
    crt::srand(1);
    colour.DrawLine(0, 1, 3, 1, kRed);
    EXPECT_EQ(crt::rand(), 41);
}

TEST(DrawLine, SkipsWhatFallsOutsideAndEndsOnLinesTooSteepToStep) {
    CDib dib;
    ASSERT_TRUE(dib.Create(8, 8, 8, nullptr, 0));
    dib.DrawLine(-4, 0, 12, 0, kBlue);  // step 16 / 17 touches every column
    Points row;
    for (int x = 0; x < 8; ++x) row.insert({x, 0});
    EXPECT_EQ(Painted(dib, 0), row);

    ASSERT_TRUE(dib.Create(8, 8, 8, nullptr, 0));
    dib.DrawLine(-3, -3, 10, 10, kBlue);
    Points diagonal = Painted(dib, 0);
    EXPECT_GE(diagonal.size(), 8u);
    for (auto [x, y] : diagonal) EXPECT_LE(std::abs(x - y), 1);

    // Far from the image, a step of 2^-31 is lost when added to 2^30: the line must still end.
    dib.DrawLine(1 << 30, INT_MIN, (1 << 30) + 1, INT_MAX, kBlue);
    dib.DrawLine(INT_MIN, INT_MAX, INT_MIN + 3, INT_MIN, kBlue);
    EXPECT_EQ(Painted(dib, 0), diagonal);
}

TEST(DrawRect, PaintsTheOutlineWithoutTheRightColumn) {
    for (int bits : {8, 24}) {
        CDib dib;
        ASSERT_TRUE(dib.Create(5, 5, bits, nullptr, 0));
        dib.DrawRect(CRect(1, 1, 3, 3), kBlue);
        EXPECT_EQ(Painted(dib, 0), (Points{{1, 1}, {2, 1}, {1, 3}, {2, 3}, {1, 2}, {2, 2}})) << bits;
        dib.Fill(0);
        dib.DrawRect(CRect(3, 3, 1, 1), kBlue);  // corners in any order
        EXPECT_EQ(Painted(dib, 0).size(), 6u) << bits;
    }
    CDib dib;
    ASSERT_TRUE(dib.Create(5, 5, 8, nullptr, 0));
    dib.DrawRect(CRect(-2, -2, 3, 9), kBlue);  // only the right side and nothing else lies inside
    EXPECT_EQ(Painted(dib, 0), (Points{{2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}}));
    dib.DrawRect(CRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), kBlue);
}

TEST(DrawCircle, RadiusZeroPaintsTheCentreAndOthersARing) {
    CDib dib;
    ASSERT_TRUE(dib.Create(21, 21, 24, nullptr, 0));
    dib.DrawCircle(4, 6, 0, kBlue);
    EXPECT_EQ(Painted(dib, 0), (Points{{4, 6}}));

    dib.Fill(0);
    dib.DrawCircle(10, 10, 6, kBlue);
    Points ring = Painted(dib, 0);
    EXPECT_GT(ring.size(), 30u);
    for (auto [x, y] : ring) {
        double d = std::hypot(x - 10, y - 10);
        EXPECT_TRUE(d > 4.5 && d < 7.5) << x << "," << y;
    }
    // The same points on an 8-bit image, and half outside the image only the inside half.
    CDib grey;
    ASSERT_TRUE(grey.Create(21, 21, 8, nullptr, 0));
    grey.DrawCircle(10, 10, 6, kBlue);
    EXPECT_EQ(Painted(grey, 0), ring);
    grey.Fill(0);
    grey.DrawCircle(10, 24, 6, kBlue);
    grey.DrawCircle(10, 10, -3, kBlue);  // a negative radius draws nothing (and ends)
    for (auto [x, y] : Painted(grey, 0)) EXPECT_GE(y, 18);
    EXPECT_FALSE(Painted(grey, 0).empty());
}

TEST(DrawString, ChangesOnlyTheRowsAboveYInTheTextColour) {
    CDib dib;
    ASSERT_TRUE(dib.Create(60, 30, 24, nullptr, 255));
    dib.DrawString(2, 20, "Hg", 12, kRed, "Arial");
    Points text = Painted(dib, 0xFFFFFF);
    ASSERT_GT(text.size(), 10u);
    for (auto [x, y] : text) {
        EXPECT_TRUE(y >= 20 - 12 && y <= 20) << x << "," << y;
        EXPECT_EQ(dib.GetPixel(x, y), int(kRed));
    }
}

TEST(DrawString, ChineseTextWithAMissingFaceFindsAFaceThatHasIt) {
    for (int bits : {8, 24}) {
        CDib dib;
        ASSERT_TRUE(dib.Create(80, 40, bits, nullptr, 0));
        int background = dib.GetPixel(0, 0);
        crt::srand(1);
        dib.DrawString(4, 30, "加密图像", 16, RGB(255, 255, 255), "宋体");
        Points text = Painted(dib, background);
        // Four characters of a 16-pixel font leave more than a few strokes each.
        EXPECT_GT(text.size(), 80u) << bits;
        for (auto [x, y] : text) {
            EXPECT_TRUE(x >= 4 && y >= 14 && y <= 30) << x << "," << y;
            EXPECT_EQ(dib.GetPixel(x, y), bits == 8 ? 255 : 0xFFFFFF);
        }
    }
}

TEST(DrawString, DrawsNothingFromOutsideTheImage) {
    CDib dib;
    ASSERT_TRUE(dib.Create(20, 20, 8, nullptr, 0));
    DibSnapshot before = Snapshot(dib);
    for (auto [x, y] : {std::pair{-1, 10}, {20, 10}, {5, -1}, {5, 20}}) dib.DrawString(x, y, "X", 12, kBlue, "");
    dib.DrawString(5, 10, nullptr, 12, kBlue, "");
    EXPECT_TRUE(Snapshot(dib) == before);
    CDib four;
    ASSERT_TRUE(four.Create(20, 20, 4, nullptr, 0));
    DibSnapshot fourBefore = Snapshot(four);
    four.DrawString(2, 15, "X", 12, kBlue, "");
    four.DrawLine(0, 0, 10, 10, kBlue);
    EXPECT_TRUE(Snapshot(four) == fourBefore);
}
