// Solid brushes: FillRect paints what lies inside the surface, right and bottom excluded, in the
// colour the surface can hold; stock brushes; brushes selected into DCs.
#include <gtest/gtest.h>

#include <climits>

#include "platform/Afx.h"
#include "tests/support/Surfaces.h"

using namespace moro_test;

TEST(FillRect, PaintsTheRectangleClippedToTheSurface) {
    SurfaceDC dc(6, 4);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT rect = {4, -3, 9, 2};
    EXPECT_EQ(FillRect(dc.hdc, &rect, red), 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(dc.s().Pixel(x, y), x >= 4 && y < 2 ? 0x00FF0000u : kWhite) << x << "," << y;
    RECT huge = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    EXPECT_EQ(FillRect(dc.hdc, &huge, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
    EXPECT_EQ(dc.s().Pixel(5, 3), 0u);
    RECT empty = {3, 3, 1, 1};
    EXPECT_EQ(FillRect(dc.hdc, &empty, red), 1);

    EXPECT_EQ(FillRect(dc.hdc, &rect, nullptr), 0);
    EXPECT_EQ(FillRect(nullptr, &rect, red), 0);
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_EQ(FillRect(dc.hdc, &rect, red), 0);  // a deleted brush is not used
}

TEST(FillRect, AMemoryDCFillsItsBitmapInTheBitmapsColours) {
    CDC mem;
    ASSERT_TRUE(mem.CreateCompatibleDC(nullptr));
    CBitmap high;
    ASSERT_TRUE(high.CreateBitmap(3, 3, 1, 16, nullptr));
    CBitmap* old = mem.SelectObject(&high);
    CBrush brush(RGB(0x13, 0x57, 0x9B));
    CRect all(0, 0, 3, 3);
    mem.FillRect(&all, &brush);
    EXPECT_EQ(mem.GetPixel(2, 2), RGB(0x10, 0x54, 0x98));
    mem.SelectObject(old);

    // A brush selected into a DC stays until it is taken out again.
    CBrush* previous = mem.SelectObject(&brush);
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(previous->GetSafeHandle(), GetStockObject(WHITE_BRUSH));
    EXPECT_FALSE(DeleteObject(brush));
    mem.SelectObject(previous);
    EXPECT_TRUE(brush.DeleteObject());
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));  // stock objects stay
    EXPECT_EQ(FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))), 1);
}
