// SetDIBitsToDevice pixel by pixel: short palettes, clipping, partial scan lines, source
// rectangles, top-down rows and what it refuses.  The palette decoding of every depth is checked
// through CDib::Paint in test_dib_display.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Afx.h"
#include "tests/support/Surfaces.h"

using namespace moro_test;

TEST(SetDIBitsToDevice, IndicesPastAShortPaletteAreBlack) {
    TestDib dib(4, 1, 8, 2);  // two palette entries
    dib.SetColor(0, 0x00112233);
    dib.SetColor(1, 0x00445566);
    for (int x = 0; x < 4; ++x) dib.Set(x, 0, DWORD(x == 3 ? 255 : x));
    SurfaceDC dc(4, 1);
    ASSERT_EQ(SetDIBitsToDevice(dc.hdc, 0, 0, 4, 1, 0, 0, 0, 1, dib.Bits(), dib.Bmi(), DIB_RGB_COLORS), 1);
    EXPECT_EQ(dc.s().Pixel(0, 0), 0x00112233u);
    EXPECT_EQ(dc.s().Pixel(1, 0), 0x00445566u);
    EXPECT_EQ(dc.s().Pixel(2, 0), 0u);
    EXPECT_EQ(dc.s().Pixel(3, 0), 0u);
}

TEST(SetDIBitsToDevice, ClipsToTheSurfaceOnEverySide) {
    TestDib dib(4, 4, 24);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) dib.Set(x, y, DWORD(0x010000 * (x + 1) + y + 1));
    SurfaceDC dc(3, 3);
    // Two columns and two rows hang off the left and top; the rest covers (0,0)-(1,1).
    ASSERT_NE(SetDIBitsToDevice(dc.hdc, -2, -2, 4, 4, 0, 0, 0, 4, dib.Bits(), dib.Bmi(), DIB_RGB_COLORS), 0);
    EXPECT_EQ(dc.s().Pixel(0, 0), 0x030003u);
    EXPECT_EQ(dc.s().Pixel(1, 1), 0x040004u);
    EXPECT_EQ(dc.s().Pixel(2, 2), kWhite);
    // Off the right and bottom.
    dc.s().Fill(kWhite);
    ASSERT_NE(SetDIBitsToDevice(dc.hdc, 2, 1, 4, 4, 0, 0, 0, 4, dib.Bits(), dib.Bmi(), DIB_RGB_COLORS), 0);
    EXPECT_EQ(dc.s().Pixel(2, 1), 0x010001u);
    EXPECT_EQ(dc.s().Pixel(2, 2), 0x010002u);
    EXPECT_EQ(dc.s().Pixel(1, 1), kWhite);
    // Entirely outside: nothing drawn, still a success.
    dc.s().Fill(kWhite);
    EXPECT_EQ(SetDIBitsToDevice(dc.hdc, 50, 50, 4, 4, 0, 0, 0, 4, dib.Bits(), dib.Bmi(), DIB_RGB_COLORS), 4);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(dc.s().Pixels()[i], kWhite);
}

TEST(SetDIBitsToDevice, DrawsOnlyTheScanLinesItIsGiven) {
    TestDib dib(2, 4, 8);
    for (int i = 0; i < 256; ++i) dib.SetColor(i, PaletteColor(i));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x) dib.Set(x, y, DWORD(10 * y + x));
    // Only the bottom two scan lines are handed over, in a buffer of exactly that size.
    std::vector<BYTE> lines(dib.Bits(), dib.Bits() + 2 * dib.RowBytes());
    SurfaceDC dc(2, 4);
    EXPECT_EQ(SetDIBitsToDevice(dc.hdc, 0, 0, 2, 4, 0, 0, 0, 2, lines.data(), dib.Bmi(), DIB_RGB_COLORS), 2);
    EXPECT_EQ(dc.s().Pixel(0, 0), kWhite);
    EXPECT_EQ(dc.s().Pixel(1, 1), kWhite);
    EXPECT_EQ(dc.s().Pixel(0, 2), PaletteColor(20));
    EXPECT_EQ(dc.s().Pixel(1, 3), PaletteColor(31));
    // Scan lines 2 and 3 (the top of the picture), from a pointer at scan line 2.
    std::vector<BYTE> upper(dib.Bits() + 2 * dib.RowBytes(), dib.Bits() + 4 * dib.RowBytes());
    EXPECT_EQ(SetDIBitsToDevice(dc.hdc, 0, 0, 2, 4, 0, 0, 2, 5, upper.data(), dib.Bmi(), DIB_RGB_COLORS), 2);
    EXPECT_EQ(dc.s().Pixel(0, 0), PaletteColor(0));
    EXPECT_EQ(dc.s().Pixel(1, 1), PaletteColor(11));
}

TEST(SetDIBitsToDevice, SourceRectangleIsInDibCoordinates) {
    TestDib dib(4, 4, 24);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) dib.Set(x, y, DWORD(0x100 * x + y));
    SurfaceDC dc(2, 2);
    // xSrc 1, ySrc 1 counted from the bottom: picture columns 1-2, picture rows 1-2.
    ASSERT_NE(SetDIBitsToDevice(dc.hdc, 0, 0, 2, 2, 1, 1, 0, 4, dib.Bits(), dib.Bmi(), DIB_RGB_COLORS), 0);
    EXPECT_EQ(dc.s().Pixel(0, 0), 0x101u);
    EXPECT_EQ(dc.s().Pixel(1, 1), 0x202u);
}

TEST(SetDIBitsToDevice, TopDownRowsAreReadInTheirOrder) {
    TestDib dib(1, 2, 24);
    dib.Header().biHeight = -2;
    dib.Bits()[0] = 0x11;               // first stored row: the top when top-down
    dib.Bits()[dib.RowBytes()] = 0x22;
    SurfaceDC dc(1, 2);
    ASSERT_EQ(SetDIBitsToDevice(dc.hdc, 0, 0, 1, 2, 0, 0, 0, 2, dib.Bits(), dib.Bmi(), DIB_RGB_COLORS), 2);
    EXPECT_EQ(dc.s().Pixel(0, 0), 0x11u);
    EXPECT_EQ(dc.s().Pixel(0, 1), 0x22u);
}

TEST(SetDIBitsToDevice, RefusesWhatItCannotDraw) {
    SurfaceDC dc(2, 2);
    TestDib dib(2, 2, 8);
    auto call = [&](HDC h, UINT usage = DIB_RGB_COLORS, UINT lines = 2) {
        return SetDIBitsToDevice(h, 0, 0, 2, 2, 0, 0, 0, lines, dib.Bits(), dib.Bmi(), usage);
    };
    EXPECT_EQ(call(nullptr), 0);
    EXPECT_EQ(call(reinterpret_cast<HDC>(dib.Bits())), 0);  // not a DC
    EXPECT_EQ(call(dc.hdc, DIB_PAL_COLORS), 0);
    EXPECT_EQ(call(dc.hdc, DIB_RGB_COLORS, 0), 0);
    dib.Header().biCompression = 1;
    EXPECT_EQ(call(dc.hdc), 0);
    dib.Header().biCompression = 0;
    dib.Header().biBitCount = 16;
    EXPECT_EQ(call(dc.hdc), 0);
    dib.Header().biBitCount = 8;
    dib.Header().biWidth = 0;
    EXPECT_EQ(call(dc.hdc), 0);
    EXPECT_EQ(dc.s().Pixel(0, 0), kWhite);
}
