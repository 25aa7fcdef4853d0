// Copying, cropping and flipping: images from device-dependent bitmaps of each depth, rectangles
// with their bounds counted, and mirror images.
#include <gtest/gtest.h>

#include <cstring>

#include "dib/Dib.h"
#include "tests/support/Images.h"

using namespace moro_test;

TEST(CreateFromDDB, SixteenBitPixelsKeepTheUpperFiveBitsOfEachColour) {
    // One row of four 5-6-5 pixels; rows of the bitmap are padded to 16 bits.
    const WORD words[4] = {0xFFFF, 0xF800, 0x07E0, 0x0020};
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(4, 1, 1, 16, words));
    CDib dib;
    dib.CreateFromDDB(&bitmap);
    ASSERT_EQ(dib.GetBitCount(), 24);
    EXPECT_EQ(dib.GetPixel(0, 0), int(RGB(248, 248, 248)));
    EXPECT_EQ(dib.GetPixel(1, 0), int(RGB(248, 0, 0)));
    EXPECT_EQ(dib.GetPixel(2, 0), int(RGB(0, 248, 0)));
    EXPECT_EQ(dib.GetPixel(3, 0), int(RGB(0, 0, 0)));  // the lowest green bit is dropped
}

TEST(CreateFromDDB, TopRowOfTheBitmapBecomesTheTopOfThePicture) {
    for (int depth : {24, 32}) {
        // 3 x 2: rows top-down; 24-bit rows of 9 bytes are padded to 10.
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateBitmap(3, 2, 1, depth, nullptr));
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        CBitmap* old = dc.SelectObject(&bitmap);
        platform::Surface& s = *platform::GetSurface(dc);
        s.SetPixel(0, 0, 0x00102030);
        s.SetPixel(2, 1, 0x00A0B0C0);
        CDib dib;
        dib.CreateFromDDB(&bitmap);
        ASSERT_EQ(dib.GetBitCount(), 24) << depth;
        EXPECT_EQ(dib.GetPixel(0, 0), int(RGB(0x10, 0x20, 0x30))) << depth;
        EXPECT_EQ(dib.GetPixel(2, 1), int(RGB(0xA0, 0xB0, 0xC0))) << depth;
        EXPECT_EQ(dib.StoredRow(1)[0], 0x30) << depth;  // blue of the top-left pixel, last stored row
        dc.SelectObject(old);
    }
}

TEST(CreateFromDDB, OtherDepthsAndNullLeaveTheImageAlone) {
    CDib dib;
    MakePicture(dib, 5, 4, 8);
    DibSnapshot before = Snapshot(dib);
    CBitmap mono;
    ASSERT_TRUE(mono.CreateBitmap(8, 8, 1, 1, nullptr));
    dib.CreateFromDDB(&mono);
    dib.CreateFromDDB(nullptr);
    EXPECT_TRUE(Snapshot(dib) == before);
}

TEST(CopyRect, CountsRightAndBottomAndTakesRowsFromTheBottomUp) {
    for (int bits : {8, 24}) {
        CDib src, dst;
        MakePicture(src, 11, 7, bits, 5);
        ASSERT_EQ(dst.CopyRect(src, CRect(2, 1, 6, 4)), 1);
        ASSERT_EQ(dst.m_nWidth, 5);
        ASSERT_EQ(dst.m_nHeight, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) ASSERT_EQ(dst.GetPixel(x, y), src.GetPixel(x + 2, y + 1)) << bits;
        EXPECT_EQ(dst.m_nColors, src.m_nColors);
        EXPECT_EQ(std::memcmp(dst.m_lpPalette, src.m_lpPalette, 4 * size_t(src.m_nColors)), 0);

        ASSERT_EQ(dst.CopyRect(src, CRect(0, 0, 0, 0)), 1);
        ASSERT_EQ(dst.m_nWidth, 1);
        EXPECT_EQ(dst.GetPixel(0, 0), src.GetPixel(0, 0));
        // The last column and row are inside; one more is not.
        EXPECT_EQ(dst.CopyRect(src, CRect(0, 0, 10, 6)), 1);
        EXPECT_EQ(dst.CopyRect(src, CRect(0, 0, 11, 6)), 0);
    }
}

TEST(CopyRect, RefusesRectanglesOutsideTheSourceButStillTakesItsHeader) {
    CDib src, dst;
    MakePicture(src, 6, 6, 8);
    src.m_cprHeader.byMonth = 11;
    ASSERT_TRUE(dst.Create(2, 2, 8, nullptr, 1));
    DibSnapshot before = Snapshot(dst);
    const CRect bad[] = {{-1, 0, 2, 2}, {0, 0, 2, 6}, {3, 0, 2, 2}, {0, 4, 2, 3}, {0, 0, 6, 0}};
    for (const CRect& rect : bad) EXPECT_EQ(dst.CopyRect(src, rect), 0) << rect.left << "," << rect.bottom;
    EXPECT_TRUE(Snapshot(dst) == before);
    EXPECT_EQ(dst.m_cprHeader.byMonth, 11);

    CDib four;
    ASSERT_TRUE(four.Create(4, 4, 4, nullptr, 0));
    EXPECT_EQ(dst.CopyRect(four, CRect(0, 0, 1, 1)), 0);
}

TEST(CopyRect, AnImageCanBeCroppedIntoItself) {
    CDib dib, ref, expected;
    MakePicture(dib, 8, 6, 24);
    MakePicture(ref, 8, 6, 24);
    ASSERT_EQ(expected.CopyRect(ref, CRect(1, 2, 4, 5)), 1);
    ASSERT_EQ(dib.CopyRect(dib, CRect(1, 2, 4, 5)), 1);
    EXPECT_EQ(RgbPixels(dib), RgbPixels(expected));
}

TEST(FlipHorizontal, MirrorsEachRowAndKeepsTheMiddlePixel) {
    CDib even, odd, colour;
    ASSERT_TRUE(even.Create(4, 1, 8, nullptr, 0));
    ASSERT_TRUE(odd.Create(5, 1, 8, nullptr, 0));
    std::memcpy(even.m_lpBits, "\1\2\3\4", 4);
    std::memcpy(odd.m_lpBits, "\1\2\3\4\5", 5);
    even.FlipHorizontal();
    odd.FlipHorizontal();
    EXPECT_EQ(std::memcmp(even.m_lpBits, "\4\3\2\1", 4), 0);
    EXPECT_EQ(std::memcmp(odd.m_lpBits, "\5\4\3\2\1", 5), 0);

    MakePicture(colour, 3, 2, 24);
    int left = colour.GetPixel(0, 1), right = colour.GetPixel(2, 1);
    colour.FlipHorizontal();
    EXPECT_EQ(colour.GetPixel(0, 1), right);  // whole pixels move, not bytes
    EXPECT_EQ(colour.GetPixel(2, 1), left);
}

TEST(FlipVertical, SwapsRowsAtEveryDepth) {
    CDib one, mono;
    MakePicture(one, 5, 1, 8);
    DibSnapshot before = Snapshot(one);
    one.FlipVertical();
    EXPECT_TRUE(Snapshot(one) == before);

    ASSERT_TRUE(mono.Create(8, 3, 1, nullptr, 0));
    mono.StoredRow(0)[0] = 0x81;
    mono.StoredRow(1)[0] = 0x42;
    mono.FlipVertical();
    EXPECT_EQ(mono.StoredRow(2)[0], 0x81);
    EXPECT_EQ(mono.StoredRow(1)[0], 0x42);
    EXPECT_EQ(mono.StoredRow(0)[0], 0);
}
