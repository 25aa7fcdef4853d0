// Bilinear resampling: the worked examples with their random roundings, 24-bit samples, palettes,
// resizing in place, and the fixed-point form that fills an image from samples.
#include <gtest/gtest.h>

#include <cstring>

#include "dib/Dib.h"
#include "tests/support/Images.h"

using namespace moro_test;

namespace {

BYTE Stored(const CDib& dib, int row, int col) { return dib.m_lpBits[row * dib.m_nRowBytes + col]; }

void FillPattern(CDib& dib, int seed) {
    for (int i = 0; i < dib.m_nImageSize; ++i) dib.m_lpBits[i] = BYTE(i * 37 + seed);
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
            ASSERT_EQ(std::memcmp(dst.StoredRow(r), src.StoredRow(r),
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
