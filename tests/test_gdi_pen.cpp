// Pens and lines: the end point is not painted, dotted pens and their gaps, the raster
// operations, clipping, and pens selected into DCs.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/Afx.h"
#include "tests/support/Surfaces.h"

using namespace moro_test;

namespace {

// The pixels of one row as characters: '#' for black, '.' for white, '?' for anything else.
std::string Row(platform::Surface& s, int y) {
    std::string out;
    for (int x = 0; x < s.Width(); ++x) out += s.Pixel(x, y) == 0 ? '#' : s.Pixel(x, y) == kWhite ? '.' : '?';
    return out;
}

}  // namespace

TEST(LineTo, TheEndPointIsNotPaintedAndBecomesThePosition) {
    SurfaceDC dc(6, 6);
    CDC* pDC = CDC::FromHandle(dc.hdc);
    EXPECT_EQ(pDC->MoveTo(1, 1), CPoint(0, 0));
    EXPECT_TRUE(pDC->LineTo(4, 1));
    EXPECT_EQ(Row(dc.s(), 1), ".###..");
    EXPECT_TRUE(pDC->LineTo(4, 5));  // on from (4, 1): (4, 1) to (4, 4)
    EXPECT_EQ(Row(dc.s(), 4), "....#.");
    EXPECT_EQ(Row(dc.s(), 5), "......");
    EXPECT_EQ(pDC->MoveTo(3, 3), CPoint(4, 5));

    SurfaceDC diag(4, 4);
    MoveToEx(diag.hdc, 0, 0, nullptr);
    LineTo(diag.hdc, 3, 3);
    EXPECT_EQ(Row(diag.s(), 2), "..#.");
    EXPECT_EQ(Row(diag.s(), 3), "....");
    MoveToEx(diag.hdc, 3, 0, nullptr);  // upward and leftward too
    LineTo(diag.hdc, 0, 0);
    EXPECT_EQ(Row(diag.s(), 0), "####");  // (0, 0) was painted by the first line

    EXPECT_FALSE(LineTo(nullptr, 1, 1));
    EXPECT_FALSE(MoveToEx(nullptr, 1, 1, nullptr));
}

TEST(LineTo, FarEndsAreClippedAndTheScreenKeepsNoPixels) {
    SurfaceDC dc(5, 3);
    MoveToEx(dc.hdc, INT_MIN, 1, nullptr);
    LineTo(dc.hdc, INT_MAX, 1);
    EXPECT_EQ(Row(dc.s(), 1), "#####");
    MoveToEx(dc.hdc, 2, INT_MAX, nullptr);
    LineTo(dc.hdc, 2, INT_MIN);
    EXPECT_EQ(Row(dc.s(), 0), "..#..");
    MoveToEx(dc.hdc, INT_MIN, INT_MIN, nullptr);  // a long slant that misses the surface
    LineTo(dc.hdc, INT_MAX, INT_MIN + 5);
    EXPECT_EQ(Row(dc.s(), 2), "..#..");

    CDC screen;
    ASSERT_TRUE(screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr));
    screen.MoveTo(1, 1);
    EXPECT_TRUE(screen.LineTo(100, 1));
    EXPECT_EQ(screen.MoveTo(0, 0), CPoint(100, 1));
}

TEST(Pens, DottedGapsTakeTheBackgroundOnlyWhenOpaque) {
    SurfaceDC dc(14, 2);
    CDC* pDC = CDC::FromHandle(dc.hdc);
    CPen dotted(PS_DOT, 1, RGB(0, 0, 0));
    CPen* pOld = pDC->SelectObject(&dotted);
    ASSERT_NE(pOld, nullptr);
    EXPECT_EQ(pOld->GetSafeHandle(), GetStockObject(BLACK_PEN));
    CBrush grey(RGB(9, 9, 9));
    CRect all(0, 0, 14, 2);
    pDC->FillRect(&all, &grey);
    pDC->SetBkMode(TRANSPARENT);
    pDC->MoveTo(0, 0);
    pDC->LineTo(13, 0);
    EXPECT_EQ(Row(dc.s(), 0), "###???###???#?");
    pDC->SetBkMode(OPAQUE);  // white background: the gaps are painted
    pDC->MoveTo(0, 1);
    pDC->LineTo(13, 1);
    EXPECT_EQ(Row(dc.s(), 1), "###...###...#?");

    EXPECT_FALSE(dotted.DeleteObject());  // still selected
    pDC->SelectObject(pOld);
    EXPECT_TRUE(dotted.DeleteObject());
    EXPECT_EQ(CreatePen(7, 1, 0), nullptr);  // a style the program does not use
}

TEST(Pens, RasterOperations) {
    SurfaceDC dc(3, 1);
    CDC* pDC = CDC::FromHandle(dc.hdc);
    dc.s().SetPixel(1, 0, 0);
    dc.s().SetPixel(2, 0, 0x000000FF);
    EXPECT_EQ(pDC->GetROP2(), R2_COPYPEN);
    EXPECT_EQ(pDC->SetROP2(R2_NOTXORPEN), R2_COPYPEN);
    pDC->MoveTo(0, 0);
    pDC->LineTo(3, 0);  // black pen: ~(0 ^ D) inverts
    EXPECT_EQ(dc.s().Pixel(0, 0), 0u);
    EXPECT_EQ(dc.s().Pixel(1, 0), kWhite);
    EXPECT_EQ(dc.s().Pixel(2, 0), 0x00FFFF00u);

    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    CPen* pOld = pDC->SelectObject(&red);
    pDC->SetROP2(R2_XORPEN);
    pDC->MoveTo(0, 0);
    pDC->LineTo(2, 0);
    EXPECT_EQ(dc.s().Pixel(0, 0), 0x00FF0000u);
    EXPECT_EQ(dc.s().Pixel(1, 0), 0x0000FFFFu);
    pDC->SelectObject(pOld);

    EXPECT_EQ(pDC->SetROP2(0), 0);
    EXPECT_EQ(pDC->SetROP2(17), 0);
    EXPECT_EQ(pDC->GetROP2(), R2_XORPEN);
}
