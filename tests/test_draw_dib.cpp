// DrawDib: a packed DIB scaled into a rectangle of a DC, nearest pixel.
#include <gtest/gtest.h>

#include "platform/Afx.h"
#include "tests/support/Surfaces.h"

using namespace moro_test;

TEST(DrawDib, ScalesAPackedDibNearestPixel) {
    TestDib dib(2, 2, 8);
    for (int i = 0; i < 256; ++i) dib.SetColor(i, PaletteColor(i));
    dib.Set(0, 0, 1);
    dib.Set(1, 0, 2);
    dib.Set(0, 1, 3);
    dib.Set(1, 1, 4);
    SurfaceDC dc(6, 6);
    HDRAWDIB hdd = DrawDibOpen();
    ASSERT_NE(hdd, nullptr);
    // Bits null: the rows lie behind the header and its 256 palette entries.
    ASSERT_TRUE(DrawDibDraw(hdd, dc.hdc, 1, 1, 4, 4, &dib.Header(), nullptr, 0, 0, -1, -1, 0));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            DWORD expected = kWhite;
            if (x >= 1 && x < 5 && y >= 1 && y < 5) expected = PaletteColor(1 + (x - 1) / 2 + 2 * ((y - 1) / 2));
            ASSERT_EQ(dc.s().Pixel(x, y), expected) << x << "," << y;
        }

    // Shrinking picks the pixel under the centre of each destination pixel.
    TestDib wide(4, 1, 24);
    for (int x = 0; x < 4; ++x) wide.Set(x, 0, DWORD(x + 1));
    dc.s().Fill(kWhite);
    ASSERT_TRUE(DrawDibDraw(hdd, dc.hdc, 0, 0, 2, 1, &wide.Header(), nullptr, 0, 0, -1, -1, 0));
    EXPECT_EQ(dc.s().Pixel(0, 0), 2u);
    EXPECT_EQ(dc.s().Pixel(1, 0), 4u);
    // -1 as destination size draws at the source size; other negative sizes mirror.
    dc.s().Fill(kWhite);
    ASSERT_TRUE(DrawDibDraw(hdd, dc.hdc, 0, 0, -1, -1, &wide.Header(), nullptr, 0, 0, -1, -1, 0));
    EXPECT_EQ(dc.s().Pixel(3, 0), 4u);
    EXPECT_EQ(dc.s().Pixel(4, 0), kWhite);
    ASSERT_TRUE(DrawDibDraw(hdd, dc.hdc, 4, 0, -4, 1, &wide.Header(), nullptr, 0, 0, -1, -1, 0));
    EXPECT_EQ(dc.s().Pixel(0, 0), 4u);
    EXPECT_EQ(dc.s().Pixel(3, 0), 1u);
    // A source rectangle from the picture's top-left, with separate bits.
    ASSERT_TRUE(DrawDibDraw(hdd, dc.hdc, 0, 2, 1, 1, &dib.Header(), dib.Bits(), 1, 1, 1, 1, 0));
    EXPECT_EQ(dc.s().Pixel(0, 2), PaletteColor(4));

    EXPECT_FALSE(DrawDibDraw(hdd, dc.hdc, 0, 0, 2, 2, &dib.Header(), nullptr, 2, 0, -1, -1, 0));
    EXPECT_FALSE(DrawDibDraw(hdd, dc.hdc, 0, 0, 2, 2, &dib.Header(), nullptr, 0, 0, 3, 1, 0));
    EXPECT_FALSE(DrawDibDraw(hdd, nullptr, 0, 0, 2, 2, &dib.Header(), nullptr, 0, 0, -1, -1, 0));
    EXPECT_TRUE(DrawDibClose(hdd));
    EXPECT_FALSE(DrawDibClose(hdd));
    EXPECT_FALSE(DrawDibDraw(hdd, dc.hdc, 0, 0, 2, 2, &dib.Header(), nullptr, 0, 0, -1, -1, 0));

    platform::FailDrawDibOpen(1);
    EXPECT_EQ(DrawDibOpen(), nullptr);
    hdd = DrawDibOpen();
    EXPECT_NE(hdd, nullptr);
    DrawDibClose(hdd);
}
