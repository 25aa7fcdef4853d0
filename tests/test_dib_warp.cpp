// Subsampling and the quadratic warps: the worked values, the warp against a literal reading of
// its formula (every byte and every random draw), and the rectangle warp as its four steps.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "dib/Dib.h"
#include "platform/Heap.h"
#include "tests/support/Images.h"

using namespace moro_test;

namespace {

// Sample k of the bilinear sample at (fx, fy), straight from the formula: P(x, y) is sample k of
// column x in stored row y.
double LiteralSample(const CDib& s, double fx, double fy, int k) {
    const int c = s.m_nBitCount / 8;
    auto P = [&](int x, int y) { return double(s.StoredRow(y)[x * c + k]); };
    int x0 = int(fx), y0 = int(fy);
    double wx = 1 - (fx - x0), wy = 1 - (fy - y0);
    bool lastX = x0 == s.m_nWidth - 1, lastY = y0 == s.m_nHeight - 1;
    if (lastX && lastY) return P(x0, y0);
    if (lastX) return wy * P(x0, y0) + (1 - wy) * P(x0, y0 + 1);
    if (lastY) return wx * P(x0, y0) + (1 - wx) * P(x0 + 1, y0);
    return wx * wy * P(x0, y0) + (1 - wx) * wy * P(x0 + 1, y0) + wx * (1 - wy) * P(x0, y0 + 1) +
           (1 - wx) * (1 - wy) * P(x0 + 1, y0 + 1);
}

// The warp's pixel rows as the formula gives them, rounding in stored-row order.
std::vector<BYTE> LiteralWarp(const CDib& s) {
    const int c = s.m_nBitCount / 8;
    std::vector<BYTE> rows;
    for (int i = 0; i < s.m_nHeight; ++i)
        for (int j = 0; j < s.m_nWidth; ++j)
            for (int k = 0; k < c; ++k) {
                double v = LiteralSample(s, double(j) * j / s.m_nWidth, double(i) * i / s.m_nHeight, k);
                int f = int(std::floor(v));
                int r = v - f < 0.5 ? f : v - f > 0.5 ? f + 1 : crt::rand() <= 0x3FFF ? f : f + 1;
                rows.push_back(BYTE(std::clamp(r, 0, 255)));
            }
    return rows;
}

std::vector<BYTE> PixelRows(const CDib& d) {
    std::vector<BYTE> rows;
    for (int r = 0; r < d.m_nHeight; ++r) rows.insert(rows.end(), d.StoredRow(r), d.StoredRow(r) + d.m_nWidth * d.m_nBitCount / 8);
    return rows;
}

// A picture of few levels, so that many samples land on exact halves and draw.
void MakeCoarse(CDib& dib, int w, int h, int bits, unsigned seed) {
    ASSERT_TRUE(dib.Create(w, h, bits, nullptr, 0));
    std::mt19937 rng(seed);
    for (int i = 0; i < dib.m_nImageSize; ++i) dib.m_lpBits[i] = BYTE(rng() % 4 * 85);
}

}  // namespace

TEST(Subsample, TakesEveryStepthColumnOfEveryStepthRow) {
    CDib src, dst;
    ASSERT_TRUE(src.Create(5, 7, 8, nullptr, 0));
    for (int r = 0; r < 7; ++r)
        for (int x = 0; x < 5; ++x) src.StoredRow(r)[x] = BYTE(10 * r + x);
    ASSERT_EQ(src.Subsample(dst, 2, 3), 1);
    ASSERT_EQ(dst.m_nWidth, 2);
    ASSERT_EQ(dst.m_nHeight, 2);
    EXPECT_EQ(std::memcmp(dst.StoredRow(0), "\0\2", 2), 0);
    EXPECT_EQ(std::memcmp(dst.StoredRow(1), "\36\40", 2), 0);  // stored row 3: 30, 32

    ASSERT_EQ(src.Subsample(dst, 1, 1), 1);  // a copy
    EXPECT_EQ(PixelRows(dst), PixelRows(src));
}

TEST(Subsample, RefusesStepsThatLeaveNothingOrCannotStep) {
    CDib src, dst;
    MakePicture(src, 5, 7, 24);
    for (auto [xs, ys] : {std::pair{6, 1}, {1, 8}, {0, 2}, {2, 0}, {-1, 1}, {1, -3}}) EXPECT_EQ(src.Subsample(dst, xs, ys), 0) << xs << "," << ys;
    EXPECT_FALSE(dst.IsValid());
    CDib four;
    ASSERT_TRUE(four.Create(8, 8, 4, nullptr, 0));
    EXPECT_EQ(four.Subsample(dst, 2, 2), 0);

    platform::FailHeapAllocations(1, 0);
    EXPECT_EQ(src.Subsample(dst, 2, 2), 0);
    EXPECT_EQ(dst.m_nError, DIB_ERR_MEMORY);
    platform::FailHeapAllocations(0, 0);
}

TEST(Subsample, AShortPaletteGivesBlackBeyondItsEnd) {
    RGBQUAD pal[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
    BITMAPINFOHEADER bih = {40, 4, 4, 1, 8, 0, 0, 0, 0, 2, 0};
    CDib src, dst;
    ASSERT_TRUE(src.Create(&bih, pal, 1));
    ASSERT_EQ(src.Subsample(dst, 2, 2), 1);
    ASSERT_EQ(dst.m_nColors, 256);
    EXPECT_EQ(std::memcmp(dst.m_lpPalette, pal, sizeof pal), 0);
    EXPECT_EQ(dst.m_lpPalette[2].rgbRed, 0);
    EXPECT_EQ(dst.m_lpPalette[255].rgbBlue, 0);
}

TEST(Warp, KeepsTheFirstPixelAndTakesTheLastRowFromRowHMinusOneSquaredOverH) {
    CDib src, dst;
    ASSERT_TRUE(src.Create(3, 5, 8, nullptr, 0));
    for (int r = 0; r < 5; ++r) std::memset(src.StoredRow(r), 10 * r, 3);
    src.StoredRow(0)[0] = 7;
    crt::srand(1);
    src.Warp(dst);
    ASSERT_EQ(dst.m_nHeight, 5);
    EXPECT_EQ(dst.StoredRow(0)[0], 7);
    EXPECT_EQ(dst.StoredRow(4)[1], 32);  // row 16 / 5 = 3.2 of a ramp of 10 per row
    EXPECT_EQ(dst.StoredRow(1)[2], 2);   // row 0.2
}

TEST(Warp, MatchesTheFormulaByteForByteAndDrawForDraw) {
    std::mt19937 rng(7);
    int nDrew = 0;  // the coarse levels make exact halves, so most warps draw
    for (int n = 0; n < 24; ++n) {
        int w = 1 + int(rng() % 23), h = 1 + int(rng() % 19), bits = n % 2 ? 24 : 8;
        CDib src, dst;
        MakeCoarse(src, w, h, bits, unsigned(n));
        crt::srand(unsigned(n));
        std::vector<BYTE> expected = LiteralWarp(src);
        uint32_t state = crt::GetRandState();
        crt::srand(unsigned(n));
        src.Warp(dst);
        ASSERT_EQ(PixelRows(dst), expected) << w << "x" << h << "x" << bits;
        ASSERT_EQ(crt::GetRandState(), state) << w << "x" << h << "x" << bits;
        nDrew += state != unsigned(n);
    }
    EXPECT_GT(nDrew, 12);
}

TEST(WarpRect, IsTheRectangleCutWarpedAndPastedBack) {
    for (int bits : {8, 24}) {
        CDib src, dst;
        MakeCoarse(src, 13, 11, bits, 9);
        const CRect rect(2, 3, 9, 8);
        crt::srand(3);
        src.WarpRect(dst, rect);
        uint32_t state = crt::GetRandState();

        CDib piece, warped, expected;
        crt::srand(3);
        ASSERT_EQ(piece.CopyRect(src, rect), 1);
        piece.Warp(warped);
        expected.Copy(src);
        expected.Paste(warped, rect);
        EXPECT_EQ(crt::GetRandState(), state) << bits;
        ASSERT_EQ(PixelRows(dst), PixelRows(expected)) << bits;
        // Picture row 3 (the rectangle's top) and column 9 are not written.
        EXPECT_EQ(dst.GetPixel(5, 3), src.GetPixel(5, 3));
        EXPECT_EQ(dst.GetPixel(9, 6), src.GetPixel(9, 6));
    }
}

TEST(WarpRect, TheWholeImageIsAWarpAndOtherRectanglesMustLieInside) {
    CDib src, whole, warped;
    MakeCoarse(src, 6, 4, 8, 1);
    crt::srand(2);
    src.WarpRect(whole, CRect(0, 0, 6, 4));
    crt::srand(2);
    src.Warp(warped);
    EXPECT_EQ(PixelRows(whole), PixelRows(warped));

    CDib dst;
    ASSERT_TRUE(dst.Create(2, 2, 8, nullptr, 5));
    DibSnapshot before = Snapshot(dst);
    uint32_t state = crt::GetRandState();
    for (const CRect& rect : {CRect(0, 0, 6, 3), CRect(1, 1, 7, 5), CRect(-1, 0, 2, 2), CRect(3, 0, 2, 2)}) src.WarpRect(dst, rect);
    EXPECT_TRUE(Snapshot(dst) == before);
    EXPECT_EQ(crt::GetRandState(), state);
}
