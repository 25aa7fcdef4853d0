// Pasting and blending: the rows a paste writes, resampled sources, the cross-fade's weights and
// random roundings, blending into one of its own sources, and what both refuse.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "dib/Dib.h"
#include "dib/ImageMath.h"
#include "platform/Heap.h"
#include "tests/support/Images.h"

using namespace moro_test;

TEST(Paste, WritesPictureRowsTopPlusOneToBottom) {
    CDib dst, src;
    ASSERT_TRUE(dst.Create(20, 20, 8, nullptr, 255));
    MakePicture(src, 10, 10, 8);
    uint32_t state = crt::GetRandState();
    dst.Paste(src, CRect(5, 5, 15, 15));
    EXPECT_EQ(crt::GetRandState(), state);  // the same size: no resampling
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            bool inside = y >= 6 && y <= 15 && x >= 5 && x <= 14;
            // Source stored row 0 (its bottom) lands on picture row 15.
            int expected = inside ? src.StoredRow(15 - y)[x - 5] : 255;
            ASSERT_EQ(dst.GetPixel(x, y), expected) << x << "," << y;
        }
}

TEST(Paste, RefusesRectanglesItWouldWriteOutsideAndOtherDepths) {
    CDib dst, src, colour;
    ASSERT_TRUE(dst.Create(8, 8, 8, nullptr, 9));
    MakePicture(src, 3, 3, 8);
    MakePicture(colour, 3, 3, 24);
    DibSnapshot before = Snapshot(dst);
    // The bottom row 8 would be written below the picture; the others leave it or are empty.
    for (const CRect& rect : {CRect(0, 0, 8, 8), CRect(-1, 0, 2, 2), CRect(6, 0, 9, 3), CRect(2, 2, 2, 5), CRect(3, 4, 5, 2)})
        dst.Paste(src, rect);
    dst.Paste(colour, CRect(0, 0, 3, 3));
    CDib empty;
    dst.Paste(empty, CRect(0, 0, 3, 3));
    EXPECT_TRUE(Snapshot(dst) == before);
    dst.Paste(src, CRect(0, 0, 8, 7));  // the largest that fits
    EXPECT_FALSE(Snapshot(dst) == before);
}

TEST(Blend, WeightsOneAndZeroGiveEachImageAndHalvesRoundAtRandom) {
    CDib a, b, out;
    ASSERT_TRUE(a.Create(2, 1, 8, nullptr, 10));
    ASSERT_TRUE(b.Create(2, 1, 8, nullptr, 11));
    out.Blend(a, b, CRect(0, 0, 2, 1), 1.0);
    EXPECT_EQ(std::memcmp(out.m_lpBits, "\12\12", 2), 0);
    out.Blend(a, b, CRect(0, 0, 2, 1), 0.0);
    EXPECT_EQ(std::memcmp(out.m_lpBits, "\13\13", 2), 0);
    crt::srand(1);  // 41 rounds down, 18467 up
    out.Blend(a, b, CRect(0, 0, 2, 1), 0.5);
    EXPECT_EQ(std::memcmp(out.m_lpBits, "\12\13", 2), 0);
    EXPECT_EQ(crt::rand(), 6334);  // exactly two draws

    // The low byte is kept: 1.5 x 200 - 0.5 x 11 = 294.5, rounded up by 26500, is 295 = 39 + 256.
    a.Fill(200);
    out.Blend(a, b, CRect(0, 0, 2, 1), 1.5);
    EXPECT_EQ(out.m_lpBits[0], 39);
}

TEST(Blend, ResamplesBothToTheRectanglesSize) {
    CDib a, b, ra, rb, out;
    MakePicture(a, 7, 5, 24, 1);
    MakePicture(b, 3, 4, 24, 2);
    const CRect rect(1, 1, 6, 4);
    crt::srand(4);
    ASSERT_EQ(a.Resize(ra, rect), 1);
    ASSERT_EQ(b.Resize(rb, rect), 1);
    std::vector<BYTE> expected;
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 15; ++k) expected.push_back(BYTE(RoundHalfRandom(ra.StoredRow(r)[k] * 0.25 + rb.StoredRow(r)[k] * (1 - 0.25))));
    uint32_t state = crt::GetRandState();
    crt::srand(4);
    out.Blend(a, b, rect, 0.25);
    EXPECT_EQ(crt::GetRandState(), state);
    ASSERT_EQ(out.m_nWidth, 5);
    ASSERT_EQ(out.m_nHeight, 3);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(std::memcmp(out.StoredRow(r), &expected[size_t(r) * 15], 15), 0) << r;

    // An image can be blended into itself: the result is the same.
    crt::srand(4);
    a.Blend(a, b, rect, 0.25);
    EXPECT_EQ(RgbPixels(a), RgbPixels(out));
}

TEST(Blend, RefusesWhatItCannotBlendAndDrawsNothing) {
    CDib a, b, colour, four, out;
    MakePicture(a, 4, 4, 8);
    MakePicture(b, 4, 4, 8);
    MakePicture(colour, 4, 4, 24);
    ASSERT_TRUE(four.Create(4, 4, 4, nullptr, 0));
    ASSERT_TRUE(out.Create(1, 1, 8, nullptr, 3));
    DibSnapshot before = Snapshot(out);
    crt::srand(8);
    out.Blend(a, colour, CRect(0, 0, 2, 2), 0.5);
    out.Blend(four, four, CRect(0, 0, 2, 2), 0.5);
    out.Blend(a, b, CRect(0, 0, 5, 2), 0.5);
    out.Blend(a, b, CRect(2, 2, 2, 3), 0.5);
    out.Blend(a, b, CRect(0, 0, 2, 2), std::nan(""));
    out.Blend(a, b, CRect(0, 0, 2, 2), 1e300);
    EXPECT_TRUE(Snapshot(out) == before);
    EXPECT_EQ(out.m_nError, 0);
    EXPECT_EQ(crt::GetRandState(), 8u);
}

TEST(Blend, AFailedResamplingStoresOutOfMemory) {
    CDib a, b, out;
    MakePicture(a, 4, 4, 8);
    MakePicture(b, 4, 4, 8);
    // The result's two blocks and the temporaries' heaps come first; A's resampled copy fails.
    platform::FailHeapAllocations(1, 4);
    out.Blend(a, b, CRect(0, 0, 2, 2), 0.5);
    platform::FailHeapAllocations(0, 0);
    EXPECT_EQ(out.m_nError, DIB_ERR_MEMORY);
}
