// Drawing images into device contexts: Paint, Draw and DrawStretched pixel by pixel, their
// failures, and device bitmaps made from an image.
#include <gtest/gtest.h>

#include <vector>

#include "dib/Dib.h"
#include "tests/support/Images.h"
#include "tests/support/Recorder.h"
#include "tests/support/Surfaces.h"

using namespace moro_test;
using platform::Surface;

namespace {

// The surface's pixels in the rectangle as R, G, B bytes, the layout of RgbPixels.
std::vector<BYTE> SurfaceRgb(Surface& s, int x, int y, int w, int h) {
    std::vector<BYTE> out;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            DWORD p = s.Pixel(x + i, y + j);
            out.push_back(BYTE(p >> 16));
            out.push_back(BYTE(p >> 8));
            out.push_back(BYTE(p));
        }
    return out;
}

// Pixels outside the rectangle that are not white.
int MarkedOutside(Surface& s, int x, int y, int w, int h) {
    int n = 0;
    for (int j = 0; j < s.Height(); ++j)
        for (int i = 0; i < s.Width(); ++i)
            if (!(i >= x && i < x + w && j >= y && j < y + h) && s.Pixel(i, j) != kWhite) ++n;
    return n;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Paint

TEST(Paint, CoversExactlyTheImageWithTheTopRowAtY) {
    TempDir dir;
    for (int bits : {1, 2, 4, 8, 24}) {
        BmpFields fields;
        fields.nWidth = 9;
        fields.nHeight = 4;
        fields.nBitCount = bits;
        WriteFileBytes(dir.Path("p.bmp"), MakeBmpFile(fields));
        CDib dib;
        ASSERT_TRUE(dib.LoadBmp(dir.Path("p.bmp").c_str())) << bits;
        SurfaceDC dc(20, 10);
        ASSERT_TRUE(dib.Paint(dc.hdc, 5, 3)) << bits;
        EXPECT_EQ(SurfaceRgb(dc.s(), 5, 3, 9, 4), RgbPixels(dib)) << bits << " bits";
        EXPECT_EQ(MarkedOutside(dc.s(), 5, 3, 9, 4), 0) << bits << " bits";
    }
}

TEST(Paint, ReportsMissingImagesAndFailedDrawing) {
    CDib empty;
    SurfaceDC dc(4, 4);
    EXPECT_FALSE(empty.Paint(dc.hdc, 0, 0));
    EXPECT_EQ(empty.m_nError, DIB_ERR_NO_IMAGE);

    CDib dib;
    ASSERT_TRUE(dib.Create(2, 2, 8, nullptr, 0));
    EXPECT_FALSE(dib.Paint(static_cast<HDC>(nullptr), 0, 0));
    EXPECT_EQ(dib.m_nError, DIB_ERR_DRAW);
    dib.m_nError = 0;
    EXPECT_FALSE(dib.Paint(static_cast<CDC*>(nullptr), CPoint(0, 0)));
    EXPECT_EQ(dib.m_nError, DIB_ERR_DRAW);
    EXPECT_EQ(MarkedOutside(dc.s(), 0, 0, 0, 0), 0);
}

TEST(Paint, ABlockShorterThanItsHeaderDrawsOnlyTheRowsItHolds) {
    CDib dib;
    ASSERT_TRUE(dib.Create(4, 4, 24, nullptr, 0));  // black
    // As if the last two stored rows (the top of the picture) were missing from the block.
    dib.m_dwBufSize -= DWORD(2 * dib.m_nRowBytes);
    SurfaceDC dc(4, 4);
    ASSERT_TRUE(dib.Paint(dc.hdc, 0, 0));
    EXPECT_EQ(dc.s().Pixel(0, 1), kWhite);
    EXPECT_EQ(dc.s().Pixel(0, 2), 0u);
    EXPECT_EQ(dc.s().Pixel(3, 3), 0u);
    // DrawDib would need every row: refused rather than read past the block.
    EXPECT_FALSE(dib.Draw(dc.hdc, 0, 0, 4, 4));
    EXPECT_EQ(dib.m_nError, DIB_ERR_DRAW);
    dib.m_dwBufSize += DWORD(2 * dib.m_nRowBytes);
}

// ---------------------------------------------------------------------------------------------
// Draw and DrawStretched

TEST(Draw, AHundredByFiftyImageFillsTheWholeDisplayArea) {
    CDib dib;
    ASSERT_TRUE(dib.Create(100, 50, 24, nullptr, 0));
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) dib.SetPixel(x, y, RGB(BYTE(x), BYTE(y), 1));
    SurfaceDC dc(400, 400);
    ASSERT_TRUE(dib.Draw(dc.hdc, CRect(52, 57, 52 + 256, 57 + 256)));
    EXPECT_EQ(MarkedOutside(dc.s(), 52, 57, 256, 256), 0);
    for (int y = 57; y < 57 + 256; ++y)
        for (int x = 52; x < 52 + 256; ++x) {
            DWORD p = dc.s().Pixel(x, y);
            ASSERT_EQ(p & 0xFF, 1u) << x << "," << y;
            // Nearest pixel: the column and row under the centre of each display pixel.
            ASSERT_EQ((p >> 16) & 0xFF, DWORD(((2 * (x - 52) + 1) * 100) / 512)) << x << "," << y;
            ASSERT_EQ((p >> 8) & 0xFF, DWORD(((2 * (y - 57) + 1) * 50) / 512)) << x << "," << y;
        }
}

TEST(Draw, EveryOverloadReachesTheSameRectangle) {
    CDib dib;
    MakeWorkedImage(dib);
    SurfaceDC ref(8, 8);
    ASSERT_TRUE(dib.Draw(ref.hdc, 1, 2, 4, 3));
    std::vector<BYTE> want = SurfaceRgb(ref.s(), 0, 0, 8, 8);
    CDC cdc;
    ASSERT_TRUE(cdc.Attach(platform::CreateSurfaceDC(8, 8)));
    Surface& s = *platform::GetSurface(cdc.m_hDC);
    auto check = [&](BOOL drawn, const char* form) {
        EXPECT_TRUE(drawn) << form;
        EXPECT_EQ(SurfaceRgb(s, 0, 0, 8, 8), want) << form;
        s.Fill(kWhite);
    };
    check(dib.Draw(&cdc, 1, 2, 4, 3), "CDC, x, y, w, h");
    check(dib.Draw(&cdc, CRect(1, 2, 5, 5)), "CDC, rect");
    check(dib.Draw(&cdc, CPoint(1, 2), CPoint(5, 5)), "CDC, points");
    check(dib.Draw(cdc.m_hDC, CPoint(1, 2), CPoint(5, 5)), "HDC, points");

    // The stretched forms all equal the resampled image painted at the corner.
    CDib resized;
    crt::srand(3);
    ASSERT_EQ(dib.Resize(resized, CRect(0, 0, 4, 3)), 1);
    ASSERT_TRUE(resized.Paint(ref.hdc, 1, 2));
    want = SurfaceRgb(ref.s(), 0, 0, 8, 8);
    crt::srand(3);
    check(dib.Draw(cdc.m_hDC, 1, 2, 4, 3, 1), "mode 1");
    crt::srand(3);
    check(dib.DrawStretched(cdc.m_hDC, CRect(1, 2, 5, 5)), "stretched HDC, rect");
    crt::srand(3);
    check(dib.DrawStretched(&cdc, 1, 2, 4, 3), "stretched CDC, x, y, w, h");
    crt::srand(3);
    check(dib.DrawStretched(&cdc, CRect(1, 2, 5, 5)), "stretched CDC, rect");
    crt::srand(3);
    check(dib.DrawStretched(&cdc, CPoint(1, 2), CPoint(5, 5)), "stretched CDC, points");
    crt::srand(3);
    check(dib.DrawStretched(cdc.m_hDC, CPoint(1, 2), CPoint(5, 5)), "stretched HDC, points");
}

TEST(Draw, FailuresCarryTheirCodes) {
    SurfaceDC dc(8, 8);
    CDib empty;
    EXPECT_FALSE(empty.Draw(dc.hdc, 0, 0, 8, 8));
    EXPECT_EQ(empty.m_nError, DIB_ERR_NO_IMAGE);
    EXPECT_FALSE(empty.Draw(dc.hdc, 0, 0, 8, 8, 1));
    EXPECT_EQ(MarkedOutside(dc.s(), 0, 0, 0, 0), 0);

    CDib four;
    ASSERT_TRUE(four.Create(4, 4, 4, nullptr, 0));
    EXPECT_FALSE(four.Draw(dc.hdc, 0, 0, 8, 8, 1));  // resampling takes 8 and 24 bits only
    EXPECT_EQ(four.m_nError, DIB_ERR_MEMORY);
    EXPECT_TRUE(four.Draw(dc.hdc, 0, 0, 8, 8));      // DrawDib draws it

    platform::FailDrawDibOpen(1);
    EXPECT_FALSE(four.Draw(dc.hdc, 0, 0, 8, 8));
    EXPECT_EQ(four.m_nError, DIB_ERR_DRAWDIB);

    four.m_lpInfoHeader->biCompression = 2;
    EXPECT_FALSE(four.Draw(dc.hdc, 0, 0, 8, 8));
    EXPECT_EQ(four.m_nError, DIB_ERR_DRAW);
    four.m_nError = 0;
    EXPECT_FALSE(four.Paint(dc.hdc, 0, 0));
    EXPECT_EQ(four.m_nError, DIB_ERR_DRAW);
}

TEST(Draw, RowsAreTakenWhereTheFileKeepsThem) {
    // A valid file with a gap between the palette and the rows.
    TempDir dir;
    BmpFields fields;
    fields.nWidth = 5;
    fields.nHeight = 3;
    fields.nBitCount = 8;
    fields.nOffBits = 54 + 1024 + 12;
    WriteFileBytes(dir.Path("gap.bmp"), MakeBmpFile(fields));
    CDib dib;
    ASSERT_TRUE(dib.LoadBmp(dir.Path("gap.bmp").c_str()));
    ASSERT_EQ(dib.m_lpBits, dib.m_lpBuf + fields.nOffBits);
    SurfaceDC dc(5, 3);
    ASSERT_TRUE(dib.Draw(dc.hdc, 0, 0, 5, 3));
    EXPECT_EQ(SurfaceRgb(dc.s(), 0, 0, 5, 3), RgbPixels(dib));
}

// ---------------------------------------------------------------------------------------------
// CreateDDB

TEST(CreateDDB, LeavesTheImageSelectedAsADeviceBitmap) {
    size_t bitmaps = platform::LiveBitmapCount();
    CDC screen, mem;
    ASSERT_TRUE(screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr));
    ASSERT_TRUE(mem.CreateCompatibleDC(&screen));
    CBitmap* pStock = mem.GetCurrentBitmap();

    CDib dib;
    ASSERT_TRUE(dib.Create(3, 2, 24, nullptr, 0));
    dib.SetPixel(0, 0, RGB(1, 2, 3));
    dib.SetPixel(2, 1, RGB(200, 100, 50));
    CSize size(-1, -1);
    CBitmap* pOld = dib.CreateDDB(&mem, size);
    EXPECT_EQ(pOld, pStock);
    EXPECT_EQ(size, CSize(3, 2));
    CBitmap* pNew = mem.GetCurrentBitmap();
    ASSERT_NE(pNew, pStock);
    BITMAP bm;
    ASSERT_EQ(pNew->GetBitmap(&bm), int(sizeof bm));
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(mem.GetPixel(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(mem.GetPixel(2, 1), RGB(200, 100, 50));
    EXPECT_EQ(platform::LiveBitmapCount(), bitmaps + 1);  // the 1 x 1 bitmap is gone
    mem.SelectObject(pOld);
    delete pNew;

    // A 1-bit image becomes a monochrome bitmap.
    CDib mono;
    ASSERT_TRUE(mono.Create(10, 1, 1, nullptr, 0));
    mono.m_lpBits[0] = 0x80;  // the first pixel takes palette entry 1, white
    pOld = mono.CreateDDB(&mem, size);
    ASSERT_NE(pOld, nullptr);
    pNew = mem.GetCurrentBitmap();
    ASSERT_EQ(pNew->GetBitmap(&bm), int(sizeof bm));
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(bm.bmWidthBytes, 2);
    BYTE bits[2] = {};
    EXPECT_EQ(pNew->GetBitmapBits(2, bits), 2u);
    EXPECT_EQ(bits[0], 0x80);
    mem.SelectObject(pOld);
    delete pNew;
    EXPECT_EQ(platform::LiveBitmapCount(), bitmaps);
}

TEST(CreateDDB, EmptyImagesAndUnfitDCsGiveNothing) {
    size_t bitmaps = platform::LiveBitmapCount();
    CDC mem;
    ASSERT_TRUE(mem.CreateCompatibleDC(nullptr));
    CDib empty;
    CSize size(5, 5);
    EXPECT_EQ(empty.CreateDDB(&mem, size), nullptr);
    EXPECT_EQ(size, CSize(0, 0));

    // A window DC cannot hold a bitmap: nothing is returned and nothing is left behind.
    CDib dib;
    ASSERT_TRUE(dib.Create(2, 2, 8, nullptr, 0));
    CDC window;
    ASSERT_TRUE(window.Attach(platform::CreateSurfaceDC(4, 4)));
    EXPECT_EQ(dib.CreateDDB(&window, size), nullptr);
    EXPECT_EQ(dib.CreateDDB(nullptr, size), nullptr);
    EXPECT_EQ(platform::LiveBitmapCount(), bitmaps);
}
