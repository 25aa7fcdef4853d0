// Bilinear resampling and drawing images into device contexts.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "dib/Dib.h"
#include "tests/support/Images.h"
#include "tests/support/Recorder.h"

using namespace moro_test;
using platform::Surface;

namespace {

constexpr DWORD kWhite = 0x00FFFFFF;

// The 2 x 2 grey image of the worked examples: stored rows (0, 100) and (200, 255).
void MakeWorkedImage(CDib& dib) {
    ASSERT_TRUE(dib.Create(2, 2, 8, nullptr, 0));
    const BYTE rows[2][2] = {{0, 100}, {200, 255}};
    for (int r = 0; r < 2; ++r) std::memcpy(dib.m_lpBits + r * dib.m_nRowBytes, rows[r], 2);
}

BYTE Stored(const CDib& dib, int row, int col) { return dib.m_lpBits[row * dib.m_nRowBytes + col]; }

void FillPattern(CDib& dib, int seed) {
    for (int i = 0; i < dib.m_nImageSize; ++i) dib.m_lpBits[i] = BYTE(i * 37 + seed);
}

struct SurfaceDC {
    HDC hdc;
    SurfaceDC(int w, int h) : hdc(platform::CreateSurfaceDC(w, h)) {}
    ~SurfaceDC() { DeleteDC(hdc); }
    Surface& s() { return *platform::GetSurface(hdc); }
};

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
// Resize

TEST(Resize, TwoByTwoToFourByFourInterpolatesAndRepeatsTheEdges) {
    CDib src, dst;
    MakeWorkedImage(src);
    crt::srand(1);  // draws 41, 18467, 6334, 26500: down, up, down, up at the exact halves
    ASSERT_EQ(src.Resize(dst, CRect(0, 0, 4, 4)), 1);
    ASSERT_EQ(dst.m_nWidth, 4);
    ASSERT_EQ(dst.m_nHeight, 4);
    ASSERT_EQ(dst.GetBitCount(), 8);
    const BYTE expected[4][4] = {
        {0, 50, 100, 100},     // (0.5, 0) gives 50; the last columns repeat the source's edge
        {100, 139, 177, 178},  // 138.75 rounds to 139; 177.5 is an exact half, twice
        {200, 227, 255, 255},  // 227.5: the last row repeats the source's top row
        {200, 228, 255, 255},
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(Stored(dst, r, c), expected[r][c]) << r << "," << c;
    // Exactly the four exact halves drew from the generator.
    EXPECT_EQ(crt::rand(), 19169);
}

TEST(Resize, ToItsOwnSizeReproducesTheImageWithoutRandomDraws) {
    for (int bits : {8, 24}) {
        CDib src, dst;
        ASSERT_TRUE(src.Create(7, 5, bits, nullptr, 0));
        FillPattern(src, bits);
        crt::srand(5);
        uint32_t state = crt::GetRandState();
        ASSERT_EQ(src.Resize(dst, CRect(3, 4, 10, 9)), 1);  // only the size counts
        EXPECT_EQ(crt::GetRandState(), state);
        ASSERT_EQ(dst.m_nWidth, 7);
        ASSERT_EQ(dst.m_nHeight, 5);
        for (int r = 0; r < 5; ++r)
            ASSERT_EQ(std::memcmp(dst.m_lpBits + r * dst.m_nRowBytes, src.m_lpBits + r * src.m_nRowBytes,
                                  size_t(7 * bits / 8)),
                      0)
                << bits << " bits, row " << r;
    }
}

TEST(Resize, TwentyFourBitSamplesAreInterpolatedSeparately) {
    CDib src, dst;
    ASSERT_TRUE(src.Create(2, 1, 24, nullptr, 0));
    const BYTE row[6] = {0, 100, 200, 100, 0, 51};  // blue, green, red of two pixels
    std::memcpy(src.m_lpBits, row, 6);
    crt::srand(1);
    ASSERT_EQ(src.Resize(dst, CRect(0, 0, 4, 1)), 1);
    ASSERT_EQ(dst.GetBitCount(), 24);
    const BYTE* p = dst.m_lpBits + 3;  // column 1, halfway between the two
    EXPECT_EQ(p[0], 50);
    EXPECT_EQ(p[1], 50);
    EXPECT_EQ(p[2], 125);  // 125.5, first draw 41: down
    EXPECT_EQ(dst.m_lpBits[6], 100);  // the last columns repeat the edge pixel
    EXPECT_EQ(dst.m_lpBits[11], 51);
}

TEST(Resize, RefusesAndLeavesTheDestinationAlone) {
    CDib dst;
    ASSERT_TRUE(dst.Create(3, 3, 8, nullptr, 9));
    DibSnapshot before = Snapshot(dst);

    CDib four;
    ASSERT_TRUE(four.Create(4, 4, 4, nullptr, 0));
    EXPECT_EQ(four.Resize(dst, CRect(0, 0, 2, 2)), 0);
    CDib eight;
    MakeWorkedImage(eight);
    EXPECT_EQ(eight.Resize(dst, CRect(-1, 0, 2, 2)), 0);
    EXPECT_EQ(eight.Resize(dst, CRect(0, 0, 2, -2)), 0);
    CDib empty;
    EXPECT_EQ(empty.Resize(dst, CRect(0, 0, 2, 2)), 0);
    EXPECT_TRUE(Snapshot(dst) == before);

    // A size that cannot be made: the destination's creation records why.
    EXPECT_EQ(eight.Resize(dst, CRect(0, 0, 0, 5)), 0);
    EXPECT_EQ(dst.m_nError, DIB_ERR_MEMORY);
}

TEST(Resize, PaletteComesWithANewImageAndStaysWithAReusedOne) {
    CDib src;
    RGBQUAD pal[256];
    for (int i = 0; i < 256; ++i) pal[i] = RGBQUAD{BYTE(255 - i), BYTE(i), 7, 0};
    ASSERT_TRUE(src.Create(2, 2, 8, pal, 3));
    CDib dst;
    ASSERT_EQ(src.Resize(dst, CRect(0, 0, 5, 3)), 1);
    EXPECT_EQ(std::memcmp(dst.m_lpPalette, pal, sizeof pal), 0);

    // Already 5 x 3 at 8 bits: rewritten in place, its own palette kept.
    CDib other;
    ASSERT_TRUE(other.Create(5, 3, 8, nullptr, 200));
    ASSERT_EQ(src.Resize(other, CRect(0, 0, 5, 3)), 1);
    EXPECT_EQ(other.m_lpPalette[10].rgbRed, 10);  // still the grey ramp
    EXPECT_EQ(Stored(other, 2, 4), 3);

    // A short palette is not read past its end; the missing entries are black.
    BITMAPINFOHEADER bih = *src.m_lpInfoHeader;
    bih.biClrUsed = 2;
    CDib shortPal;
    ASSERT_TRUE(shortPal.Create(&bih, pal, 1));
    CDib big;
    ASSERT_EQ(shortPal.Resize(big, CRect(0, 0, 3, 3)), 1);
    EXPECT_EQ(big.m_nColors, 256);
    EXPECT_EQ(std::memcmp(big.m_lpPalette, pal, 8), 0);
    EXPECT_EQ(big.m_lpPalette[2].rgbBlue, 0);
    EXPECT_EQ(big.m_lpPalette[255].rgbGreen, 0);
}

TEST(Resize, AnImageCanBeResizedIntoItself) {
    CDib dib, ref;
    MakeWorkedImage(dib);
    MakeWorkedImage(ref);
    CDib expected;
    crt::srand(1);
    ASSERT_EQ(ref.Resize(expected, CRect(0, 0, 4, 4)), 1);
    dib.m_cprHeader.byDay = 31;
    crt::srand(1);
    ASSERT_EQ(dib.Resize(dib, CRect(0, 0, 4, 4)), 1);
    ASSERT_EQ(dib.m_nWidth, 4);
    EXPECT_EQ(std::memcmp(dib.m_lpBits, expected.m_lpBits, size_t(expected.m_nImageSize)), 0);
    EXPECT_EQ(dib.m_cprHeader.byDay, 31);
}

// ---------------------------------------------------------------------------------------------
// ResizeFrom

TEST(ResizeFrom, TwoByTwoToFourByFourInFixedPoint) {
    CDib dib;
    ASSERT_TRUE(dib.Create(4, 4, 8, nullptr, 0));
    const BYTE samples[4] = {0, 100, 200, 255};
    ASSERT_EQ(dib.ResizeFrom(2, 2, samples), 4);
    const BYTE expected[4][4] = {
        {0, 50, 100, 100},
        {100, 138, 177, 177},  // 138.75 and 177.5 truncated
        {200, 227, 255, 255},  // the last source row takes fraction 0
        {200, 227, 255, 255},
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(Stored(dib, r, c), expected[r][c]) << r << "," << c;
}

TEST(ResizeFrom, WritesEachRowAtItsStartAndKeepsTheFillBytes) {
    CDib dib;
    ASSERT_TRUE(dib.Create(3, 2, 8, nullptr, 0xAB));  // rows of 4 bytes: one fill byte each
    const BYTE samples[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_EQ(dib.ResizeFrom(3, 2, samples), 2);
    const BYTE expected[8] = {1, 2, 3, 0xAB, 4, 5, 6, 0xAB};
    EXPECT_EQ(std::memcmp(dib.m_lpBits, expected, 8), 0);
}

TEST(ResizeFrom, RoundedUpStepsNeverReadPastTheSamples) {
    // 3 samples over 130 columns: the step 1024 / (130 / 3) rounds up to 24, which would walk
    // past the last sample; the last columns must repeat it.
    CDib dib;
    ASSERT_TRUE(dib.Create(130, 1, 8, nullptr, 0));
    const BYTE samples[3] = {10, 20, 30};
    ASSERT_EQ(dib.ResizeFrom(3, 1, samples), 1);
    EXPECT_EQ(Stored(dib, 0, 0), 10);
    EXPECT_EQ(Stored(dib, 0, 129), 30);
    for (int c = 1; c < 130; ++c) ASSERT_GE(Stored(dib, 0, c), Stored(dib, 0, c - 1)) << c;
}

TEST(ResizeFrom, RefusesWhatItCannotFill) {
    const BYTE samples[4] = {0, 1, 2, 3};
    CDib empty;
    EXPECT_EQ(empty.ResizeFrom(2, 2, samples), 0);
    CDib mono;
    ASSERT_TRUE(mono.Create(40, 2, 1, nullptr, 0));  // 8-byte rows cannot take 40 samples
    EXPECT_EQ(mono.ResizeFrom(2, 2, samples), 0);
    CDib dib;
    ASSERT_TRUE(dib.Create(4, 4, 8, nullptr, 0));
    EXPECT_EQ(dib.ResizeFrom(0, 2, samples), 0);
    EXPECT_EQ(dib.ResizeFrom(2, -1, samples), 0);
    EXPECT_EQ(dib.ResizeFrom(2, 2, nullptr), 0);
}

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
