// Device contexts: surfaces and what a DC reports of them, memory DCs with the bitmaps selected
// into them, and the CDC and CBitmap wrappers.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Afx.h"
#include "tests/support/Surfaces.h"

using namespace moro_test;

TEST(Surface, DCReportsItsDeviceAndKeepsPixelsAcrossResize) {
    SurfaceDC dc(8, 6);
    ASSERT_NE(dc.hdc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc.hdc, PLANES), 1);
    EXPECT_EQ(GetDeviceCaps(dc.hdc, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(dc.hdc, HORZRES), 8);
    EXPECT_EQ(GetDeviceCaps(dc.hdc, VERTRES), 6);
    EXPECT_EQ(dc.s().Stride(), 8);
    EXPECT_EQ(dc.s().StrideBytes(), 32);
    EXPECT_EQ(dc.s().Pixel(7, 5), kWhite);
    dc.s().SetPixel(7, 5, 0x00123456);
    EXPECT_EQ(GetPixel(dc.hdc, 7, 5), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(GetPixel(dc.hdc, 8, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc.hdc, 0, -1), CLR_INVALID);

    ASSERT_TRUE(platform::ResizeSurfaceDC(dc.hdc, 10, 10));
    EXPECT_EQ(dc.s().Pixel(7, 5), 0x00123456u);
    EXPECT_EQ(dc.s().Pixel(9, 9), kWhite);
    EXPECT_EQ(GetDeviceCaps(dc.hdc, HORZRES), 10);
    EXPECT_EQ(platform::CreateSurfaceDC(-1, 4), nullptr);
    EXPECT_EQ(platform::CreateSurfaceDC(1 << 20, 1 << 20), nullptr);
    EXPECT_EQ(GetDeviceCaps(nullptr, PLANES), 0);
}

TEST(MemoryDC, DrawsIntoTheSelectedBitmap) {
    size_t dcs = platform::LiveDCCount(), bitmaps = platform::LiveBitmapCount();
    HDC screen = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(CreateDC("PRINTER", nullptr, nullptr, nullptr), nullptr);
    HDC mem = CreateCompatibleDC(screen);
    ASSERT_NE(mem, nullptr);
    EXPECT_EQ(GetDeviceCaps(mem, BITSPIXEL), 32);

    // A new memory DC holds a 1 x 1 monochrome bitmap, so a bitmap compatible with it is 1-bit.
    HBITMAP stock = static_cast<HBITMAP>(GetCurrentObject(mem, OBJ_BITMAP));
    BITMAP bm;
    ASSERT_EQ(GetObject(stock, sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    HBITMAP mono = CreateCompatibleBitmap(mem, 4, 1);
    ASSERT_EQ(GetObject(mono, sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(bm.bmWidthBytes, 2);

    HBITMAP colour = CreateCompatibleBitmap(screen, 3, 2);
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(SelectObject(mem, colour), static_cast<HGDIOBJ>(stock));
    EXPECT_EQ(SelectObject(screen, colour), nullptr);  // only memory DCs hold bitmaps
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, colour), nullptr);   // one DC at a time
    EXPECT_FALSE(DeleteObject(colour));                // not while selected

    TestDib dib(3, 2, 24);
    dib.Set(0, 0, 0x00ABCDEF);
    dib.Set(2, 1, 0x00010203);
    ASSERT_EQ(SetDIBitsToDevice(mem, 0, 0, 3, 2, 0, 0, 0, 2, dib.Bits(), dib.Bmi(), DIB_RGB_COLORS), 2);
    EXPECT_EQ(GetPixel(mem, 0, 0), RGB(0xAB, 0xCD, 0xEF));

    // Bits as the platform hands them out: top-down, blue green red 0.
    std::vector<BYTE> bits(24, 0xEE);
    ASSERT_EQ(GetBitmapBits(colour, 0, nullptr), 24);
    ASSERT_EQ(GetBitmapBits(colour, 24, bits.data()), 24);
    EXPECT_EQ(bits[0], 0xEF);
    EXPECT_EQ(bits[1], 0xCD);
    EXPECT_EQ(bits[2], 0xAB);
    EXPECT_EQ(bits[3], 0);
    EXPECT_EQ(bits[20], 0x03);
    EXPECT_EQ(bits[22], 0x01);
    std::vector<BYTE> part(5, 0xEE);
    EXPECT_EQ(GetBitmapBits(colour, 4, part.data()), 4);
    EXPECT_EQ(part[4], 0xEE);

    EXPECT_EQ(SelectObject(mem, stock), static_cast<HGDIOBJ>(colour));
    EXPECT_TRUE(DeleteObject(colour));
    EXPECT_TRUE(DeleteObject(mono));
    EXPECT_FALSE(DeleteObject(colour));  // already gone
    EXPECT_EQ(GetObject(colour, sizeof bm, &bm), 0);
    EXPECT_TRUE(DeleteDC(other));
    EXPECT_TRUE(DeleteDC(mem));
    EXPECT_TRUE(DeleteDC(screen));
    EXPECT_FALSE(DeleteDC(screen));
    EXPECT_EQ(platform::LiveDCCount(), dcs);
    EXPECT_EQ(platform::LiveBitmapCount(), bitmaps);
}

TEST(Wrappers, CDCAndCBitmapSelectAndCleanUp) {
    size_t dcs = platform::LiveDCCount(), bitmaps = platform::LiveBitmapCount();
    {
        CDC screen;
        ASSERT_TRUE(screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr));
        CDC mem;
        ASSERT_TRUE(mem.CreateCompatibleDC(&screen));
        EXPECT_EQ(CDC::FromHandle(mem.GetSafeHdc()), &mem);
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, 5, 4));
        BITMAP bm;
        ASSERT_EQ(bitmap.GetBitmap(&bm), int(sizeof bm));
        EXPECT_EQ(bm.bmWidth, 5);
        EXPECT_EQ(bm.bmBitsPixel, 32);
        CBitmap* old = mem.SelectObject(&bitmap);
        ASSERT_NE(old, nullptr);  // a wrapper of the stock bitmap
        EXPECT_EQ(mem.GetCurrentBitmap(), &bitmap);
        EXPECT_EQ(CBitmap::FromHandle(bitmap), &bitmap);
        EXPECT_EQ(mem.GetPixel(4, 3), RGB(0, 0, 0));
        EXPECT_EQ(mem.GetPixel(5, 3), CLR_INVALID);
        EXPECT_EQ(bitmap.GetBitmapBits(80, nullptr), 80u);
        EXPECT_EQ(mem.SelectObject(old), &bitmap);
    }
    EXPECT_EQ(platform::LiveDCCount(), dcs);
    EXPECT_EQ(platform::LiveBitmapCount(), bitmaps);
}
