// The image record: construction, blank images, allocation failures, copies and pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "dib/Dib.h"
#include "tests/support/Recorder.h"

using namespace moro_test;

TEST(DibConstruction, NewObjectIsEmptyAndStampedWithToday) {
    CTime::SetClock(CTime(2026, 12, 7, 10).GetTime());
    CDib dib;
    CTime::ResetClock();
    EXPECT_FALSE(dib.IsValid());
    EXPECT_EQ(dib.GetBufSize(), 0u);
    EXPECT_EQ(dib.GetBitCount(), 0);
    EXPECT_EQ(dib.m_nError, 0);
    EXPECT_EQ(dib.m_nCprMode, 2);
    EXPECT_EQ(dib.m_nBitsLeft, 8);
    EXPECT_NE(dib.m_hHeap, nullptr);
    EXPECT_EQ(dib.m_cprHeader.byYear, 126);
    EXPECT_EQ(dib.m_cprHeader.byMonth, 12);
    EXPECT_EQ(dib.m_cprHeader.byDay, 7);
    EXPECT_EQ(dib.m_cprHeader.wWidth, 0);
    EXPECT_EQ(dib.m_cprHeader.dwCodeLen, 0u);
}

TEST(DibConstruction, DestructorReleasesTheHeap) {
    size_t before = platform::LiveHeapCount();
    {
        CDib dib;
        ASSERT_TRUE(dib.Create(64, 64, 24));
        EXPECT_EQ(platform::LiveHeapCount(), before + 1);
    }
    EXPECT_EQ(platform::LiveHeapCount(), before);
}

TEST(DibCreate, EightBitTenByFive) {
    CDib dib;
    ASSERT_TRUE(dib.Create(10, 5, 8, nullptr, 7));
    EXPECT_EQ(dib.m_nRowBytes, 12);
    EXPECT_EQ(dib.m_nImageSize, 60);
    EXPECT_EQ(dib.m_nColors, 256);
    EXPECT_EQ(+dib.m_lpFileHeader->bfOffBits, 1078u);
    EXPECT_EQ(+dib.m_lpFileHeader->bfType, 0x4D42);
    EXPECT_EQ(+dib.m_lpFileHeader->bfSize, 1138u);
    EXPECT_EQ(dib.GetBufSize(), 1138u);
    for (int i = 0; i < 60; ++i) ASSERT_EQ(dib.m_lpBits[i], 7);
    // The pointers into the block follow the file layout.
    EXPECT_EQ(reinterpret_cast<BYTE*>(dib.m_lpInfoHeader), dib.m_lpBuf + 14);
    EXPECT_EQ(reinterpret_cast<BYTE*>(dib.m_lpBmi), dib.m_lpBuf + 14);
    EXPECT_EQ(reinterpret_cast<BYTE*>(dib.m_lpPalette), dib.m_lpBuf + 54);
    EXPECT_EQ(dib.m_lpBits, dib.m_lpBuf + 1078);
    EXPECT_EQ(+dib.m_lpInfoHeader->biSize, 40u);
    EXPECT_EQ(+dib.m_lpInfoHeader->biWidth, 10);
    EXPECT_EQ(+dib.m_lpInfoHeader->biHeight, 5);
    EXPECT_EQ(+dib.m_lpInfoHeader->biPlanes, 1);
    EXPECT_EQ(+dib.m_lpInfoHeader->biClrUsed, 0u);
}

TEST(DibCreate, RowSizesOfEveryDepth) {
    struct Case {
        int width, bits, rowBytes, colors;
    } cases[] = {{10, 24, 32, 0}, {33, 1, 8, 2}, {10, 4, 8, 16}, {10, 2, 4, 4}, {1, 24, 4, 0}, {4, 8, 4, 256}};
    for (const Case& c : cases) {
        CDib dib;
        ASSERT_TRUE(dib.Create(c.width, 3, c.bits)) << c.width << "x" << c.bits;
        EXPECT_EQ(dib.m_nRowBytes, c.rowBytes) << c.width << "x" << c.bits;
        EXPECT_EQ(dib.m_nColors, c.colors);
        EXPECT_EQ(+dib.m_lpFileHeader->bfOffBits, DWORD(54 + 4 * c.colors));
        EXPECT_EQ(dib.GetBufSize(), DWORD(54 + 4 * c.colors + 3 * c.rowBytes));
    }
}

TEST(DibCreate, GreyRampPalettes) {
    auto ramp = [](int bits) {
        CDib dib;
        dib.Create(4, 4, bits);
        std::vector<int> levels;
        for (int i = 0; i < dib.m_nColors; ++i) {
            const RGBQUAD& q = dib.m_lpPalette[i];
            EXPECT_EQ(q.rgbRed, q.rgbGreen);
            EXPECT_EQ(q.rgbRed, q.rgbBlue);
            EXPECT_EQ(q.rgbReserved, 0);
            levels.push_back(q.rgbRed);
        }
        return levels;
    };
    EXPECT_EQ(ramp(1), (std::vector<int>{0, 255}));
    EXPECT_EQ(ramp(2), (std::vector<int>{0, 85, 170, 255}));
    std::vector<int> sixteen = ramp(4);
    EXPECT_EQ(sixteen[1], 17);
    EXPECT_EQ(sixteen[15], 255);
    std::vector<int> full = ramp(8);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(full[i], i);
}

TEST(DibCreate, GivenPaletteAndOneColourPalette) {
    RGBQUAD pal[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
    CDib dib;
    ASSERT_TRUE(dib.Create(8, 2, 1, pal));
    EXPECT_EQ(std::memcmp(dib.m_lpPalette, pal, 8), 0);

    BITMAPINFOHEADER bih = {40, 3, 3, 1, 8, 0, 0, 0, 0, 1, 0};
    CDib one;
    ASSERT_TRUE(one.Create(&bih));
    EXPECT_EQ(one.m_nColors, 1);
    EXPECT_EQ(one.m_lpPalette[0].rgbRed, 0);
    EXPECT_EQ(+one.m_lpFileHeader->bfOffBits, 58u);
}

TEST(DibCreate, UnsupportedDepthsMakeAnEightBitImageThatSaysSo) {
    for (int bits : {16, 32, 0, 3}) {
        CDib dib;
        ASSERT_TRUE(dib.Create(10, 5, bits)) << bits;
        EXPECT_EQ(dib.GetBitCount(), 8);
        EXPECT_EQ(dib.m_nRowBytes, 12);
        EXPECT_EQ(+dib.m_lpInfoHeader->biBitCount, 8) << "header describes the rows as stored";
        EXPECT_EQ(dib.m_nColors, 256);
    }
    BITMAPINFOHEADER bih = {124, 10, 5, 1, 32, 3, 0, 0, 0, 0, 0};
    CDib dib;
    ASSERT_TRUE(dib.Create(&bih));
    EXPECT_EQ(+dib.m_lpInfoHeader->biBitCount, 8);
    EXPECT_EQ(+dib.m_lpInfoHeader->biSize, 40u) << "the block always holds a 40-byte header";
    EXPECT_EQ(+dib.m_lpInfoHeader->biCompression, BI_RGB);
}

TEST(DibCreate, RefusesSizesThatCannotExistAndKeepsTheImage) {
    CDib dib;
    ASSERT_TRUE(dib.Create(4, 4, 8, nullptr, 9));
    std::vector<BYTE> before(dib.m_lpBuf, dib.m_lpBuf + dib.GetBufSize());
    struct Case {
        int w, h, bits;
    } cases[] = {{0, 4, 8}, {4, 0, 8}, {-1, 4, 8}, {4, -4, 24}, {0x7FFFFFFF, 2, 24}, {65536, 65536, 24},
                 {70000, 70000, 8}};
    for (const Case& c : cases) {
        dib.m_nError = 0;
        EXPECT_FALSE(dib.Create(c.w, c.h, c.bits)) << c.w << "x" << c.h;
        EXPECT_EQ(dib.m_nError, 4);
        ASSERT_TRUE(dib.IsValid());
        EXPECT_EQ(dib.m_nWidth, 4);
        EXPECT_EQ(std::vector<BYTE>(dib.m_lpBuf, dib.m_lpBuf + dib.GetBufSize()), before);
    }
    BITMAPINFOHEADER huge = {40, 4, 4, 1, 8, 0, 0, 0, 0, 0x40000000, 0};
    EXPECT_FALSE(dib.Create(&huge));
    EXPECT_EQ(dib.m_nError, 4);
    EXPECT_EQ(dib.m_nColors, 256);
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(dib.Create(static_cast<const BITMAPINFOHEADER*>(nullptr)));
}

TEST(DibCreate, RecreationKeepsOldBytesAndZeroesGrowth) {
    CDib dib;
    ASSERT_TRUE(dib.Create(8, 2, 8, nullptr, 0x55));
    HANDLE heap = dib.m_hHeap;
    ASSERT_TRUE(dib.Create(8, 4, 8));
    EXPECT_EQ(dib.m_hHeap, heap) << "blocks are resized on the same heap";
    EXPECT_EQ(platform::HeapBlockCount(heap), 2u);
    EXPECT_EQ(dib.m_lpBits[0], 0x55) << "earlier bytes stay where the block is not grown";
    EXPECT_EQ(dib.m_lpBits[31], 0) << "the grown part is zero";
}

TEST(DibAlloc, FailuresLeaveAnEmptyImageAndSayWhy) {
    CDib dib;
    ASSERT_TRUE(dib.Create(8, 8, 8, nullptr, 1));
    platform::FailHeapAllocations(1);  // the image block
    EXPECT_FALSE(dib.Create(16, 16, 8));
    EXPECT_EQ(dib.m_nError, 4);
    EXPECT_FALSE(dib.IsValid());
    EXPECT_EQ(dib.GetBufSize(), 0u);
    EXPECT_EQ(dib.GetBitCount(), 0);
    EXPECT_EQ(dib.m_lpBits, nullptr);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "分配图像显示所需内存m_lpBuf失败！");
    EXPECT_EQ(Messages()[0].style, 16u);

    ClearMessages();
    platform::FailHeapAllocations(1, 1);  // the code-stream buffer
    EXPECT_FALSE(dib.Create(16, 16, 8));
    EXPECT_EQ(dib.m_nError, 4);
    EXPECT_FALSE(dib.IsValid());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "分配图像解压所需内存code_stream失败！");
    EXPECT_EQ(Messages()[0].style, 0u);
    EXPECT_EQ(platform::HeapBlockCount(dib.m_hHeap), 0u) << "nothing is left half-allocated";

    // The object recovers with the next creation.
    EXPECT_TRUE(dib.Create(16, 16, 8));
}

TEST(DibAlloc, NoHeapMeansCode13) {
    CDib dib;
    HeapDestroy(dib.m_hHeap);
    dib.m_hHeap = nullptr;
    EXPECT_FALSE(dib.Create(4, 4, 8));
    EXPECT_EQ(dib.m_nError, 13);
    EXPECT_TRUE(Messages().empty());
}

TEST(DibPixels, TwentyFourBitColorrefRoundTrip) {
    CDib dib;
    ASSERT_TRUE(dib.Create(3, 2, 24, nullptr, 0));
    EXPECT_TRUE(dib.SetPixel(1, 0, 0x112233));
    // Picture row 0 is the last stored row.
    const BYTE* p = dib.StoredRow(1) + 3;
    EXPECT_EQ(p[0], 0x11);
    EXPECT_EQ(p[1], 0x22);
    EXPECT_EQ(p[2], 0x33);
    EXPECT_EQ(dib.GetPixel(1, 0), 0x112233);
    dib.m_lpBits[dib.m_nRowBytes + 0] = 0xAA;  // blue of the top-left pixel
    EXPECT_EQ(dib.GetPixel(0, 0), 0xAA0000);
}

TEST(DibPixels, EightBitAddressesStoredRows) {
    CDib dib;
    ASSERT_TRUE(dib.Create(5, 3, 8, nullptr, 0));
    EXPECT_TRUE(dib.SetPixel(4, 2, 0x1FF));
    EXPECT_EQ(dib.m_lpBits[4], 0xFF) << "bottom picture row is stored row 0; low byte stored";
    EXPECT_EQ(dib.GetPixel(4, 2), 0xFF);
}

TEST(DibPixels, RefusedOutsideTheImageOrAtOtherDepths) {
    CDib dib;
    ASSERT_TRUE(dib.Create(5, 3, 8, nullptr, 3));
    std::vector<BYTE> before(dib.m_lpBuf, dib.m_lpBuf + dib.GetBufSize());
    for (auto [x, y] : {std::pair{5, 0}, {0, 3}, {-1, 0}, {0, -1}}) {
        EXPECT_EQ(dib.GetPixel(x, y), -1);
        EXPECT_FALSE(dib.SetPixel(x, y, 9));
    }
    EXPECT_EQ(std::vector<BYTE>(dib.m_lpBuf, dib.m_lpBuf + dib.GetBufSize()), before);

    CDib four;
    ASSERT_TRUE(four.Create(5, 3, 4));
    EXPECT_EQ(four.GetPixel(0, 0), -1);
    EXPECT_FALSE(four.SetPixel(0, 0, 1));
    CDib empty;
    EXPECT_EQ(empty.GetPixel(0, 0), -1);
    EXPECT_FALSE(empty.SetPixel(0, 0, 1));
}

TEST(DibCopy, ExactCopyOfBlockHeaderAndCodeStream) {
    CDib src;
    RGBQUAD pal[16];
    for (int i = 0; i < 16; ++i) pal[i] = RGBQUAD{BYTE(i), BYTE(2 * i), BYTE(3 * i), 0};
    ASSERT_TRUE(src.Create(13, 7, 4, pal));
    for (int i = 0; i < src.m_nImageSize; ++i) src.m_lpBits[i] = BYTE(i * 7);
    for (int i = 0; i < src.m_nImageSize; ++i) src.code_stream[i] = BYTE(i);
    src.m_cprHeader.cScale = 42;
    src.m_nCprMode = 1;
    src.m_nError = 5;

    CDib dst;
    ASSERT_TRUE(dst.Create(2, 2, 24));
    dst.Copy(src);
    ASSERT_EQ(dst.GetBufSize(), src.GetBufSize());
    EXPECT_EQ(std::memcmp(dst.m_lpBuf, src.m_lpBuf, src.GetBufSize()), 0);
    EXPECT_EQ(std::memcmp(dst.code_stream, src.code_stream, size_t(src.m_nImageSize)), 0);
    EXPECT_EQ(dst.m_cprHeader.cScale, 42);
    EXPECT_EQ(dst.m_nCprMode, 1);
    EXPECT_EQ(dst.m_nError, 0) << "the error code is not copied";
    EXPECT_EQ(dst.GetBitCount(), 4);
}

TEST(DibCopy, FromAnEmptyImageOnlyTakesTheCprFields) {
    CDib src;
    src.m_cprHeader.byYear = 99;
    src.m_nCprMode = 5;
    CDib dst;
    ASSERT_TRUE(dst.Create(4, 4, 8, nullptr, 3));
    std::vector<BYTE> before(dst.m_lpBuf, dst.m_lpBuf + dst.GetBufSize());
    dst.Copy(src);
    EXPECT_EQ(std::vector<BYTE>(dst.m_lpBuf, dst.m_lpBuf + dst.GetBufSize()), before);
    EXPECT_EQ(dst.m_cprHeader.byYear, 99);
    EXPECT_EQ(dst.m_nCprMode, 5);
    dst.Copy(dst);  // copying onto itself changes nothing
    EXPECT_EQ(std::vector<BYTE>(dst.m_lpBuf, dst.m_lpBuf + dst.GetBufSize()), before);
}
