// The drawing layer, pixel by pixel: surfaces, DIB transfer, bitmaps, memory DCs and DrawDib.
// The palette decoding of every depth is checked through CDib::Paint in test_display.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/Afx.h"

using platform::Surface;

namespace {

constexpr DWORD kWhite = 0x00FFFFFF;

// A packed DIB (header, palette, rows) built in memory.  Pixels are set by picture row (from the
// top), so the tests say what they mean and the helper does the bottom-up storage.
struct TestDib {
    std::vector<BYTE> block;
    int width, height, bits, colors;

    TestDib(int w, int h, int nBits, int nColors = -1) : width(w), height(h), bits(nBits) {
        colors = nColors >= 0 ? nColors : (nBits <= 8 ? 1 << nBits : 0);
        block.assign(40 + 4 * size_t(colors) + RowBytes() * h, 0);
        BITMAPINFOHEADER& bih = Header();
        bih.biSize = 40;
        bih.biWidth = w;
        bih.biHeight = h;
        bih.biPlanes = 1;
        bih.biBitCount = WORD(nBits);
        bih.biClrUsed = nColors >= 0 ? DWORD(nColors) : 0;
    }
    size_t RowBytes() const { return size_t((width * bits + 31) / 32 * 4); }
    BITMAPINFOHEADER& Header() { return *reinterpret_cast<BITMAPINFOHEADER*>(block.data()); }
    BITMAPINFO* Bmi() { return reinterpret_cast<BITMAPINFO*>(block.data()); }
    BYTE* Bits() { return block.data() + 40 + 4 * size_t(colors); }
    void SetColor(int i, DWORD rgb) {
        RGBQUAD* pal = reinterpret_cast<RGBQUAD*>(block.data() + 40);
        pal[i] = RGBQUAD{BYTE(rgb), BYTE(rgb >> 8), BYTE(rgb >> 16), 0};
    }
    BYTE* Row(int pictureRow) { return Bits() + RowBytes() * size_t(height - 1 - pictureRow); }
    void Set(int x, int pictureRow, DWORD value) {
        BYTE* row = Row(pictureRow);
        if (bits == 24) {
            row[3 * x] = BYTE(value);
            row[3 * x + 1] = BYTE(value >> 8);
            row[3 * x + 2] = BYTE(value >> 16);
            return;
        }
        int perByte = 8 / bits;
        int shift = 8 - bits * (x % perByte + 1);
        BYTE mask = BYTE(((1 << bits) - 1) << shift);
        row[x / perByte] = BYTE((row[x / perByte] & ~mask) | ((value << shift) & mask));
    }
};

// Colour of index i in the palettes of these tests: distinct for every index.
DWORD PaletteColor(int i) { return DWORD(0x00102030 + i * 0x00050301); }

struct SurfaceDC {
    HDC hdc;
    SurfaceDC(int w, int h) : hdc(platform::CreateSurfaceDC(w, h)) {}
    ~SurfaceDC() { DeleteDC(hdc); }
    Surface& s() { return *platform::GetSurface(hdc); }
};

}  // namespace

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
