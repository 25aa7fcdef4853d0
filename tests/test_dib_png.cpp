// PNG files: files other programs wrote load with their pixels, MORO's own files come back
// exactly, and damaged or hostile files change nothing.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/support/Foreign.h"
#include "tests/support/Recorder.h"

using namespace moro_test;

TEST(PngFiles, FilesOfOtherProgramsLoadWithTheirPixelsAndAlphaIsDroppedWithANotice) {
    for (const char* name : {"grey.png", "rgb.png", "palette.png", "grey-palette.png", "bilevel.png", "grey16.png",
                             "rgb48.png", "interlaced.png"}) {
        ClearMessages();
        ExpectLoadsAsTheOtherProgramDecodesIt(name);
        EXPECT_TRUE(Messages().empty()) << name;
    }
    for (const char* name : {"rgba.png", "grey-alpha.png"}) {
        ClearMessages();
        ExpectLoadsAsTheOtherProgramDecodesIt(name);
        ASSERT_EQ(Messages().size(), 1u) << name;
        EXPECT_EQ(Messages()[0].style, MB_ICONINFORMATION);
    }
    CDib dib;  // a grey palette becomes the grey ramp of an 8-bit image
    ASSERT_TRUE(dib.LoadPng(ForeignFile("grey-palette.png").c_str()));
    EXPECT_EQ(dib.m_nColors, 256);
    EXPECT_EQ(dib.m_lpPalette[200].rgbGreen, 200);
}

TEST(PngFiles, SavedImagesOfEveryDepthComeBackExactly) {
    TempDir dir;
    for (int bits : {1, 4, 8, 24}) {
        SCOPED_TRACE(bits);
        CDib original, loaded;
        MakePicture(original, 29, 11, bits == 24 ? 24 : 8, unsigned(bits));
        if (bits < 8) {
            // Few colours, not grey: written with their palette.
            CDib small;
            ASSERT_TRUE(small.Create(29, 11, bits, nullptr, 0));
            for (int i = 0; i < small.m_nColors; ++i) small.m_lpPalette[i] = RGBQUAD{BYTE(i * 9), 40, BYTE(250 - i), 0};
            for (int r = 0; r < 11; ++r)
                for (int b = 0; b < small.m_nRowBytes; ++b) small.StoredRow(r)[b] = BYTE(r * 37 + b * 11);
            original.Copy(small);
        }
        ASSERT_TRUE(original.SavePng(dir.Path("a.png").c_str()));
        ASSERT_TRUE(loaded.LoadPng(dir.Path("a.png").c_str()));
        EXPECT_EQ(RgbPixels(loaded), RgbPixels(original));
    }
    // An 8-bit image whose indices pass its 16-entry palette: those pixels are black, as drawn.
    CDib sparse, loaded;
    RGBQUAD palette[16] = {};
    for (int i = 0; i < 16; ++i) palette[i] = RGBQUAD{BYTE(16 * i), BYTE(255 - 16 * i), 7, 0};
    BITMAPINFOHEADER bih = {40, 5, 3, 1, 8, 0, 0, 0, 0, 16, 0};
    ASSERT_TRUE(sparse.Create(&bih, palette, 200));
    sparse.StoredRow(0)[0] = 3;
    ASSERT_TRUE(sparse.SavePng(dir.Path("s.png").c_str()));
    ASSERT_TRUE(loaded.LoadPng(dir.Path("s.png").c_str()));
    EXPECT_EQ(RgbPixels(loaded), RgbPixels(sparse));
}

TEST(PngFiles, DamagedAndHostileFilesAreRefusedQuicklyAndChangeNothing) {
    TempDir dir;
    std::vector<BYTE> good = ReadFileBytes(ForeignFile("rgb.png"));
    // A 100000 x 100000 header in a file of a few hundred bytes (IHDR with a fixed CRC).
    std::vector<BYTE> huge = good;
    const BYTE ihdr[] = {0x00, 0x01, 0x86, 0xA0, 0x00, 0x01, 0x86, 0xA0};
    std::copy(std::begin(ihdr), std::end(ihdr), huge.begin() + 16);
    uint32_t crc = Crc32(std::vector<BYTE>(huge.begin() + 12, huge.begin() + 29));
    for (int i = 0; i < 4; ++i) huge[29 + i] = BYTE(crc >> (24 - 8 * i));
    std::vector<BYTE> damaged = good;
    damaged[good.size() / 2] ^= 0x55;
    struct Case {
        const char* name;
        std::vector<BYTE> bytes;
    } cases[] = {{"empty", {}},
                 {"truncated", std::vector<BYTE>(good.begin(), good.begin() + good.size() / 2)},
                 {"damaged", damaged},
                 {"huge", huge},
                 {"bmp-renamed", ReadFileBytes(ForeignFile("rgb.png.expected.bmp"))}};
    CDib dib;
    MakePicture(dib, 9, 9, 24);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(dir.Path("x.png"), c.bytes);
        DibSnapshot before = Snapshot(dib);
        dib.m_nError = 0;
        ClearMessages();
        auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(dib.LoadPng(dir.Path("x.png").c_str()));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
        EXPECT_EQ(dib.m_nError, 2);
        EXPECT_EQ(LastMessage(), "读取PNG图像文件失败！");
        EXPECT_TRUE(Snapshot(dib) == before);
    }
    EXPECT_FALSE(dib.LoadPng(dir.Path("missing.png").c_str()));
    EXPECT_EQ(dib.m_nError, 1);
}

TEST(PngFiles, NothingToSaveWritesNothing) {
    TempDir dir;
    CDib empty;
    WriteFileBytes(dir.Path("keep.png"), {1, 2, 3});
    EXPECT_FALSE(empty.SavePng(dir.Path("keep.png").c_str()));
    EXPECT_EQ(empty.m_nError, 9);
    EXPECT_EQ(ReadFileBytes(dir.Path("keep.png")), (std::vector<BYTE>{1, 2, 3}));
}
