// The histogram chart on a surface: its bars (inverted over the grid), the dotted grid, the red
// labels, the frame, the narrowing of wide rectangles, and what stops it.
#include <gtest/gtest.h>

#include <climits>

#include "ipdib/IPDib.h"
#include "tests/support/IPDibImages.h"
#include "tests/support/Recorder.h"
#include "tests/support/Surfaces.h"

using namespace moro_test;

namespace {

constexpr DWORD kBlack = 0, kBlue = 0x000000FF, kRed = 0x00FF0000;

// Four pixels: half at level 100, a quarter each at 10 and 200.
void Image(CIPDib& dib) {
    MakeGrey(dib, 4, 1, {100, 10, 100, 200});
    dib.CalcGrayHist();
}

int CountInColumn(platform::Surface& s, int x, int y0, int y1, DWORD rgb) {
    int n = 0;
    for (int y = y0; y <= y1; ++y) n += s.Pixel(x, y) == rgb;
    return n;
}

bool AnyInBox(platform::Surface& s, int x0, int y0, int x1, int y1, DWORD rgb) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (s.Pixel(x, y) == rgb) return true;
    return false;
}

}  // namespace

TEST(DrawHist, BarsGridLabelsAndFrameOnTheSurface) {
    CIPDib dib;
    Image(dib);
    SurfaceDC dc(340, 260);
    CDC* pDC = CDC::FromHandle(dc.hdc);
    // 300 wide: narrowed by 22 on each side, so the levels run from x 32 to 287.
    const int left = 32, right = 288, top = 20, bottom = 220;
    dib.DrawHist(pDC, CRect(10, top, 310, bottom), dib.m_dHist, 0);
    platform::Surface& s = dc.s();

    // Mode 0: level 100 (the peak, 0.5) is a line from bottom - 1 to bottom - 200 = top, whose
    // end is not painted: 199 pixels.  Level 10 (0.25): 99 pixels.  Black where the surface was
    // white, since the bars invert.
    EXPECT_EQ(CountInColumn(s, left + 10, top, bottom, kBlack), 99);
    EXPECT_EQ(s.Pixel(left + 10, bottom - 99), kBlack);
    EXPECT_EQ(s.Pixel(left + 10, bottom - 100), kWhite);
    EXPECT_EQ(CountInColumn(s, left + 100, top + 20, bottom - 1, kBlack), bottom - top - 20);
    EXPECT_EQ(CountInColumn(s, left + 11, top, bottom - 1, kBlack), 0);

    // The grid: dotted blue lines at every 32 levels from the bottom up, and every eighth of the
    // height from the left; a bar over a blue dot turns it yellow.
    EXPECT_EQ(s.Pixel(left + 64, bottom - 1), kBlue);  // row bottom is under its label
    EXPECT_EQ(s.Pixel(left + 64, bottom - 2), kBlue);
    EXPECT_EQ(s.Pixel(left + 64, bottom - 3), kWhite);
    EXPECT_EQ(s.Pixel(left + 256, bottom - 6), kBlue);
    EXPECT_EQ(s.Pixel(left + 1, bottom - 25), kBlue);
    EXPECT_EQ(s.Pixel(left + 4, bottom - 175), kWhite);  // a gap
    EXPECT_EQ(s.Pixel(left + 254, bottom - 175), kBlue);
    EXPECT_EQ(s.Pixel(left + 255, bottom - 175), kWhite);  // the end of the line
    EXPECT_EQ(s.Pixel(left + 200, bottom - 50), 0x00FFFF00u);

    // Red labels under the bottom at every 32 levels, and the percentage at the top left.
    for (int i = 0; i <= 8; ++i) EXPECT_TRUE(AnyInBox(s, left + 32 * i, bottom + 2, left + 32 * i + 8, bottom + 16, kRed)) << i;
    EXPECT_TRUE(AnyInBox(s, left, top, left + 40, top + 14, kRed));
    EXPECT_FALSE(AnyInBox(s, 0, 0, 30, 259, kRed));

    // The frame, one pixel outside, with the caller's pen.
    for (int y = top - 1; y <= bottom + 1; ++y) {
        ASSERT_EQ(s.Pixel(left - 1, y), kBlack) << y;
        ASSERT_EQ(s.Pixel(right + 1, y), kBlack) << y;
    }
    for (int x = left - 1; x <= right + 1; ++x) {
        ASSERT_EQ(s.Pixel(x, top - 1), kBlack) << x;
        ASSERT_EQ(s.Pixel(x, bottom + 1), kBlack) << x;
    }
    EXPECT_EQ(s.Pixel(left - 2, top), kWhite);

    // What it leaves: the caller's pen and raster operation, and red text.
    EXPECT_EQ(pDC->GetCurrentPen()->GetSafeHandle(), GetStockObject(BLACK_PEN));
    EXPECT_EQ(pDC->GetROP2(), R2_COPYPEN);
    EXPECT_EQ(pDC->GetTextColor(), RGB(255, 0, 0));
}

TEST(DrawHist, ScaleModesAndAnEmptyHistogram) {
    CIPDib dib;
    Image(dib);
    double values[256] = {};
    values[5] = 128.0;  // half of 256
    {
        SurfaceDC dc(300, 240);
        dib.DrawHist(CDC::FromHandle(dc.hdc), CRect(10, 10, 266, 210), values, 1);
        EXPECT_EQ(CountInColumn(dc.s(), 15, 10, 210, kBlack), 99);  // 200 / 256 x 128 = 100
    }
    {
        // No peak: grid, labels and frame, and bars only in mode 1.
        dib.m_dHistMax = 0;
        SurfaceDC dc(300, 240), dc1(300, 240);
        dib.DrawHist(CDC::FromHandle(dc.hdc), CRect(10, 10, 266, 210), values, 0);
        EXPECT_EQ(CountInColumn(dc.s(), 15, 20, 209, kBlack), 0);
        EXPECT_EQ(dc.s().Pixel(9, 9), kBlack);
        dib.DrawHist(CDC::FromHandle(dc1.hdc), CRect(10, 10, 266, 210), values, 1);
        EXPECT_EQ(CountInColumn(dc1.s(), 15, 20, 209, kBlack), 99);
    }
}

TEST(DrawHist, TooNarrowOrNotEightBitDrawsNothing) {
    CIPDib dib;
    Image(dib);
    SurfaceDC dc(300, 240);
    CDC* pDC = CDC::FromHandle(dc.hdc);
    ClearMessages();
    dib.DrawHist(pDC, CRect(0, 0, 255, 200), dib.m_dHist, 0);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "作图区域太小！");
    EXPECT_EQ(Messages()[0].style, UINT(MB_OK));
    EXPECT_FALSE(AnyInBox(dc.s(), 0, 0, 299, 239, kBlack));

    dib.DrawHist(pDC, CRect(0, 0, 256, 200), dib.m_dHist, 0);  // off = 0
    EXPECT_EQ(dc.s().Pixel(257, 100), kBlack);

    CIPDib colour;
    MakeColour(colour, 1, 1, {{1, 2, 3}});
    SurfaceDC blank(300, 240);
    colour.DrawHist(CDC::FromHandle(blank.hdc), CRect(0, 0, 256, 200), dib.m_dHist, 0);
    EXPECT_FALSE(AnyInBox(blank.s(), 0, 0, 299, 239, kBlack));
    // Rectangles beyond any surface, and no values at all, are no danger.
    dib.DrawHist(CDC::FromHandle(blank.hdc), CRect(INT_MIN, 0, INT_MAX, 10), dib.m_dHist, 0);
    dib.DrawHist(CDC::FromHandle(blank.hdc), CRect(-2000000000, 0, 2000000000, 10), nullptr, 0);
    dib.DrawHist(nullptr, CRect(0, 0, 256, 200), dib.m_dHist, 0);
    EXPECT_FALSE(AnyInBox(blank.s(), 0, 0, 299, 239, kBlack));
}
