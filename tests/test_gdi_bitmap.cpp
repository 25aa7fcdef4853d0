// Bitmaps: rows given to CreateBitmap in the format GetBitmapBits gives back, monochrome
// rounding, and CreateDIBitmap taking the format of its DC.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/Afx.h"
#include "tests/support/Surfaces.h"

using namespace moro_test;
using platform::Surface;

TEST(Bitmaps, CreateBitmapTakesRowsInTheFormatItGivesBack) {
    // Monochrome, 10 pixels wide: rows of 2 bytes, most significant bit first, 1 is white.
    const BYTE mono[4] = {0xA0, 0x40, 0x01, 0x80};
    HBITMAP h = CreateBitmap(10, 2, 1, 1, mono);
    ASSERT_NE(h, nullptr);
    Surface* s = platform::GetBitmapSurface(h);
    EXPECT_EQ(s->Pixel(0, 0), kWhite);
    EXPECT_EQ(s->Pixel(1, 0), 0u);
    EXPECT_EQ(s->Pixel(2, 0), kWhite);
    EXPECT_EQ(s->Pixel(9, 0), kWhite);
    EXPECT_EQ(s->Pixel(7, 1), kWhite);
    EXPECT_EQ(s->Pixel(8, 1), kWhite);
    BYTE back[4] = {};
    EXPECT_EQ(GetBitmapBits(h, 4, back), 4);
    EXPECT_EQ(std::memcmp(back, mono, 4), 0);
    // A colour stored into a monochrome bitmap becomes the nearer of black and white.
    s->SetPixel(0, 0, 0x00303030);
    s->SetPixel(1, 0, 0x00C0C0C0);
    EXPECT_EQ(s->Pixel(0, 0), 0u);
    EXPECT_EQ(s->Pixel(1, 0), kWhite);
    DeleteObject(h);

    const BYTE colour[8] = {1, 2, 3, 0, 4, 5, 6, 0};
    h = CreateBitmap(2, 1, 1, 32, colour);
    BITMAP bm;
    ASSERT_EQ(GetObject(h, sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 2);
    EXPECT_EQ(bm.bmHeight, 1);
    EXPECT_EQ(bm.bmWidthBytes, 8);
    EXPECT_EQ(bm.bmPlanes, 1);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(platform::GetBitmapSurface(h)->Pixel(1, 0), 0x00060504u);
    EXPECT_EQ(GetObject(h, 4, &bm), 0);
    EXPECT_EQ(GetObject(h, 0, nullptr), int(sizeof(BITMAP)));
    DeleteObject(h);

    // 16 and 24 bits: rows padded to 16 bits; 5-6-5 words keep the upper bits of each colour.
    const BYTE high[8] = {0x1F, 0xF8, 0xE0, 0x07, 0x21, 0x08, 0, 0};
    h = CreateBitmap(3, 1, 1, 16, high);
    ASSERT_EQ(GetObject(h, sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmWidthBytes, 6);
    EXPECT_EQ(platform::GetBitmapSurface(h)->Pixel(0, 0), 0x00F800F8u);
    EXPECT_EQ(platform::GetBitmapSurface(h)->Pixel(1, 0), 0x0000FC00u);
    BYTE highBack[6] = {};
    EXPECT_EQ(GetBitmapBits(h, 6, highBack), 6);
    EXPECT_EQ(std::memcmp(highBack, high, 6), 0);
    platform::GetBitmapSurface(h)->SetPixel(2, 0, 0x00FFFFFF);
    EXPECT_EQ(platform::GetBitmapSurface(h)->Pixel(2, 0), 0x00F8FCF8u);
    DeleteObject(h);
    const BYTE true24[8] = {1, 2, 3, 4, 5, 6, 0, 0};
    h = CreateBitmap(2, 1, 1, 24, true24);
    BYTE back24[6] = {};
    EXPECT_EQ(GetBitmapBits(h, 6, back24), 6);
    EXPECT_EQ(std::memcmp(back24, true24, 6), 0);
    EXPECT_EQ(platform::GetBitmapSurface(h)->Pixel(1, 0), 0x00060504u);
    DeleteObject(h);

    EXPECT_EQ(CreateBitmap(2, 2, 1, 8, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(0, 2, 1, 32, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(1 << 16, 1 << 16, 1, 32, nullptr), nullptr);
}

TEST(Bitmaps, CreateDIBitmapTakesTheFormatOfTheDC) {
    TestDib dib(2, 2, 4);
    dib.SetColor(0, 0);
    dib.SetColor(1, kWhite);
    dib.SetColor(2, 0x00FF0000);
    dib.Set(0, 0, 1);
    dib.Set(1, 0, 2);
    dib.Set(0, 1, 0);
    dib.Set(1, 1, 1);
    HDC screen = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    HBITMAP h = CreateDIBitmap(screen, &dib.Header(), CBM_INIT, dib.Bits(), dib.Bmi(), DIB_RGB_COLORS);
    ASSERT_NE(h, nullptr);
    Surface* s = platform::GetBitmapSurface(h);
    EXPECT_EQ(s->BitsPixel(), 32);
    EXPECT_EQ(s->Pixel(0, 0), kWhite);
    EXPECT_EQ(s->Pixel(1, 0), 0x00FF0000u);
    EXPECT_EQ(s->Pixel(0, 1), 0u);
    DeleteObject(h);

    // A memory DC with its monochrome bitmap gives a monochrome bitmap: red becomes black.
    HDC mem = CreateCompatibleDC(screen);
    h = CreateDIBitmap(mem, &dib.Header(), CBM_INIT, dib.Bits(), dib.Bmi(), DIB_RGB_COLORS);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(platform::GetBitmapSurface(h)->BitsPixel(), 1);
    EXPECT_EQ(platform::GetBitmapSurface(h)->Pixel(0, 0), kWhite);
    EXPECT_EQ(platform::GetBitmapSurface(h)->Pixel(1, 0), 0u);
    DeleteObject(h);

    dib.Header().biBitCount = 32;
    EXPECT_EQ(CreateDIBitmap(screen, &dib.Header(), CBM_INIT, dib.Bits(), dib.Bmi(), DIB_RGB_COLORS), nullptr);
    EXPECT_EQ(CreateDIBitmap(nullptr, &dib.Header(), CBM_INIT, dib.Bits(), dib.Bmi(), DIB_RGB_COLORS), nullptr);
    DeleteDC(mem);
    DeleteDC(screen);
}
