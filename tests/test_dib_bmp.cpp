// BMP files and archives: round trips, files made by hand, and every way a file can be wrong.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "dib/Dib.h"
#include "tests/support/Images.h"
#include "tests/support/Recorder.h"

using namespace moro_test;

namespace {

// An image with a recognisable palette and rows, loaded from a file made by hand.
void LoadFrom(CDib& dib, const TempDir& dir, const std::vector<BYTE>& bytes, const char* name = "in.bmp") {
    WriteFileBytes(dir.Path(name), bytes);
    ASSERT_TRUE(dib.LoadBmp(dir.Path(name).c_str())) << LastMessage();
}

}  // namespace

TEST(BmpFiles, RoundTripKeepsTheBlockByteForByte) {
    TempDir dir;
    for (int bits : {1, 2, 4, 8, 24}) {
        for (int width : {1, 5, 33}) {
            BmpFields fields;
            fields.nWidth = width;
            fields.nHeight = 4;
            fields.nBitCount = bits;
            std::vector<BYTE> file = MakeBmpFile(fields);
            CDib dib;
            LoadFrom(dib, dir, file);
            EXPECT_EQ(std::vector<BYTE>(dib.m_lpBuf, dib.m_lpBuf + dib.m_dwBufSize), file);
            EXPECT_EQ(dib.m_nWidth, width);
            EXPECT_EQ(dib.m_nHeight, 4);
            EXPECT_EQ(dib.m_nBitCount, bits);
            EXPECT_EQ(dib.m_nRowBytes, DibRowBytes(width, bits));
            EXPECT_EQ(dib.m_nImageSize, dib.m_nRowBytes * 4);
            EXPECT_EQ(dib.m_nColors, DibDefaultColors(bits));
            EXPECT_EQ(dib.m_lpBits - dib.m_lpBuf, 54 + 4 * dib.m_nColors);
            // The codec is ready to code the image's rows as one plane.
            EXPECT_EQ(dib.m_nPlaneWidth, dib.m_nRowBytes);
            EXPECT_EQ(dib.m_nPlaneHeight, 4);
            EXPECT_EQ(dib.m_nRestartInterval, dib.m_nRowBytes / 8);
            EXPECT_EQ(dib.m_wDcCode[1], 2);  // code tables built

            ASSERT_TRUE(dib.SaveBmp(dir.Path("out.bmp").c_str()));
            EXPECT_EQ(ReadFileBytes(dir.Path("out.bmp")), file) << bits << " bits, width " << width;
        }
    }
    EXPECT_TRUE(Messages().empty());
}

TEST(BmpFiles, CreatedImageSavesAndLoadsIdentically) {
    TempDir dir;
    CDib a, b;
    ASSERT_TRUE(a.Create(13, 9, 24, nullptr, 0));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x) a.SetPixel(x, y, RGB(x * 19, y * 27, x * y));
    ASSERT_TRUE(a.SaveBmp(dir.Path("a.bmp").c_str()));
    EXPECT_EQ(ReadFileBytes(dir.Path("a.bmp")).size(), a.m_dwBufSize);
    ASSERT_TRUE(b.LoadBmp(dir.Path("a.bmp").c_str()));
    EXPECT_EQ(Snapshot(a), Snapshot(b));
}

TEST(BmpFiles, PaletteCountComesFromTheHeader) {
    TempDir dir;
    BmpFields fields;
    fields.nBitCount = 8;
    fields.dwClrUsed = 20;  // shorter than the 256 the depth allows
    CDib dib;
    LoadFrom(dib, dir, MakeBmpFile(fields));
    EXPECT_EQ(dib.m_nColors, 20);
    EXPECT_EQ(dib.m_lpBits - dib.m_lpBuf, 54 + 80);

    fields.nBitCount = 24;
    fields.dwClrUsed = 0;
    CDib rgb;
    LoadFrom(rgb, dir, MakeBmpFile(fields));
    EXPECT_EQ(rgb.m_nColors, 0);
    EXPECT_EQ(rgb.m_lpBits - rgb.m_lpBuf, 54);
}

TEST(BmpFiles, RowsAreTakenFromTheOffsetTheFileGives) {
    TempDir dir;
    BmpFields fields;
    fields.nOffBits = 54 + 1024 + 30;  // a gap between the palette and the rows
    std::vector<BYTE> file = MakeBmpFile(fields);
    CDib dib;
    LoadFrom(dib, dir, file);
    EXPECT_EQ(dib.m_lpBits - dib.m_lpBuf, fields.nOffBits);
    EXPECT_EQ(dib.m_lpBits[0], 3);
    // A copy has the library's own layout and the same pixels.
    CDib copy;
    copy.Copy(dib);
    EXPECT_EQ(copy.m_lpBits - copy.m_lpBuf, 54 + 1024);
    EXPECT_EQ(RgbPixels(copy), RgbPixels(dib));
}

TEST(BmpFiles, LongerInfoHeadersKeepTheirPaletteBehindTheHeader) {
    TempDir dir;
    for (DWORD size : {108u, 124u}) {
        BmpFields fields;
        fields.nBitCount = 8;
        fields.dwInfoSize = size;
        fields.nWidth = 9;
        BmpFields plain = fields;
        plain.dwInfoSize = 40;
        CDib dib, reference;
        LoadFrom(dib, dir, MakeBmpFile(fields));
        LoadFrom(reference, dir, MakeBmpFile(plain));
        // Held in the library's layout: the 40-byte header and the palette at 54.
        EXPECT_EQ(+dib.m_lpInfoHeader->biSize, 40u);
        EXPECT_EQ(dib.m_lpPalette[1].rgbGreen, 254);
        EXPECT_EQ(RgbPixels(dib), RgbPixels(reference));
        EXPECT_EQ(+dib.m_lpFileHeader->bfSize, dib.m_dwBufSize);
        // So a copy (every encryption starts from one) keeps the colours.
        CDib copy;
        copy.Copy(dib);
        EXPECT_EQ(RgbPixels(copy), RgbPixels(reference));
        // And the saved file is a plain one that loads back the same.
        ASSERT_TRUE(dib.SaveBmp(dir.Path("v.bmp").c_str()));
        EXPECT_EQ(ReadFileBytes(dir.Path("v.bmp")), MakeBmpFile(plain));
    }
}

TEST(BmpFiles, TwoBitImagesSurviveACopy) {
    TempDir dir;
    BmpFields fields;
    fields.nBitCount = 2;
    fields.nWidth = 11;
    CDib dib, copy;
    LoadFrom(dib, dir, MakeBmpFile(fields));
    copy.Copy(dib);
    EXPECT_EQ(copy.m_nBitCount, 2);
    EXPECT_EQ(copy.m_nRowBytes, 4);
    EXPECT_EQ(Snapshot(copy), Snapshot(dib));
}

// Each faulty file is refused with its message and code, and the image loaded before stays
// exactly as it was.
TEST(BmpFiles, FaultyFilesAreRefusedWithoutDamage) {
    struct Case {
        const char* what;
        std::vector<BYTE> bytes;
        const char* message;
        UINT style;
        int error;
    };
    auto fields = [](auto change) {
        BmpFields s;
        change(s);
        return MakeBmpFile(s);
    };
    std::vector<BYTE> notBmp = MakeBmpFile({});
    notBmp[1] = 'X';
    std::vector<BYTE> os2 = {'B', 'M', 26, 0, 0, 0, 0, 0, 0, 0, 26, 0, 0, 0, 12, 0, 0, 0,
                             1, 0, 1, 0, 1, 0, 24, 0, 0, 0, 0, 0};
    std::vector<BYTE> hugeHeader = MakeBmpFile({});
    PutDword(hugeHeader, 14, 0xFFFFFFF0u);
    std::vector<BYTE> hugePalette = MakeBmpFile({});
    PutDword(hugePalette, 46, 0x40000000u);
    std::vector<BYTE> bitsInHeader = MakeBmpFile({});
    PutDword(bitsInHeader, 10, 20);
    std::vector<BYTE> shortFile = MakeBmpFile({});
    shortFile.resize(40);
    std::vector<BYTE> hugeWidth = MakeBmpFile({});
    PutDword(hugeWidth, 18, 0x7FFFFFFF);
    const char* kNotBitmap = "Invalid bitmap file";
    const char* kBadFormat = "非法的BMP图像格式！";
    std::vector<Case> cases = {
        {"empty file", {}, kNotBitmap, MB_OK, 5},
        {"first word not BM", notBmp, kNotBitmap, MB_OK, 5},
        {"only the signature", {'B', 'M'}, kNotBitmap, MB_OK, 5},
        {"shorter than the headers", shortFile, kNotBitmap, MB_OK, 5},
        {"16 bits", fields([](BmpFields& s) { s.nBitCount = 16; }), kBadFormat, MB_ICONSTOP, 5},
        {"32 bits", fields([](BmpFields& s) { s.nBitCount = 32; }), kBadFormat, MB_ICONSTOP, 5},
        {"bit count 0", fields([](BmpFields& s) { s.nBitCount = 0; }), kBadFormat, MB_ICONSTOP, 5},
        {"run-length compressed", fields([](BmpFields& s) { s.dwCompression = 1; }), kBadFormat, MB_ICONSTOP, 5},
        {"top-down", fields([](BmpFields& s) { s.nHeight = -3; }), kBadFormat, MB_ICONSTOP, 5},
        {"width 0", fields([](BmpFields& s) { s.nWidth = 0; }), kBadFormat, MB_ICONSTOP, 5},
        {"height 0", fields([](BmpFields& s) { s.nHeight = 0; }), kBadFormat, MB_ICONSTOP, 5},
        {"OS/2 header", os2, kBadFormat, MB_ICONSTOP, 5},
        {"header longer than the file", hugeHeader, kNotBitmap, MB_OK, 5},
        {"palette beyond the end", hugePalette, kNotBitmap, MB_OK, 5},
        {"rows beyond the end", fields([](BmpFields& s) { s.nCut = 1; }), kNotBitmap, MB_OK, 5},
        {"rows inside the headers", bitsInHeader, kNotBitmap, MB_OK, 5},
        {"rows too large to hold", hugeWidth, "分配图像显示所需内存m_lpBuf失败！", MB_ICONSTOP, 4},
    };
    TempDir dir;
    for (const Case& c : cases) {
        CDib dib;
        LoadFrom(dib, dir, MakeBmpFile({}), "good.bmp");
        DibSnapshot before = Snapshot(dib);
        ClearMessages();
        WriteFileBytes(dir.Path("bad.bmp"), c.bytes);
        EXPECT_FALSE(dib.LoadBmp(dir.Path("bad.bmp").c_str())) << c.what;
        EXPECT_EQ(dib.m_nError, c.error) << c.what;
        ASSERT_EQ(Messages().size(), 1u) << c.what;
        EXPECT_EQ(Messages()[0].text, c.message) << c.what;
        EXPECT_EQ(Messages()[0].style, c.style) << c.what;
        EXPECT_TRUE(Snapshot(dib) == before) << c.what;
    }
}

TEST(BmpFiles, OutOfMemoryLeavesTheImageAndLeaksNothing) {
    TempDir dir;
    CDib dib;
    LoadFrom(dib, dir, MakeBmpFile({}));
    DibSnapshot before = Snapshot(dib);
    size_t blocks = platform::HeapBlockCount(dib.m_hHeap);
    BmpFields big;
    big.nWidth = 40;
    WriteFileBytes(dir.Path("big.bmp"), MakeBmpFile(big));
    for (int skip : {0, 1}) {  // the image block, then code_stream
        ClearMessages();
        platform::FailHeapAllocations(1, skip);
        EXPECT_FALSE(dib.LoadBmp(dir.Path("big.bmp").c_str()));
        platform::FailHeapAllocations(0);
        EXPECT_EQ(dib.m_nError, 4);
        EXPECT_EQ(Messages().size(), 1u);
        EXPECT_TRUE(Snapshot(dib) == before);
        EXPECT_EQ(platform::HeapBlockCount(dib.m_hHeap), blocks);
    }
}

TEST(BmpFiles, OpenFailuresSetCodeOneSilently) {
    TempDir dir;
    CDib dib;
    EXPECT_FALSE(dib.LoadBmp(dir.Path("missing.bmp").c_str()));
    EXPECT_EQ(dib.m_nError, 1);
    EXPECT_FALSE(dib.LoadBmp(dir.path().c_str()));  // a directory
    EXPECT_EQ(dib.m_nError, 1);
    ASSERT_TRUE(dib.Create(4, 4, 8));
    EXPECT_FALSE(dib.SaveBmp(dir.Path("no/such/dir/x.bmp").c_str()));
    EXPECT_EQ(dib.m_nError, 1);
    EXPECT_TRUE(Messages().empty());
}

TEST(BmpFiles, SavingAnEmptyImageMakesAnEmptyFile) {
    TempDir dir;
    CDib dib;
    EXPECT_TRUE(dib.SaveBmp(dir.Path("empty.bmp").c_str()));
    EXPECT_TRUE(FileExists(dir.Path("empty.bmp")));
    EXPECT_TRUE(ReadFileBytes(dir.Path("empty.bmp")).empty());
}

TEST(BmpFiles, SavingReplacesAnExistingFileAndLeavesNoTemporaryFile) {
    TempDir dir;
    WriteFileBytes(dir.Path("x.bmp"), std::vector<BYTE>(5000, 1));
    CDib dib;
    ASSERT_TRUE(dib.Create(3, 3, 24, nullptr, 9));
    ASSERT_TRUE(dib.SaveBmp(dir.Path("x.bmp").c_str()));
    EXPECT_EQ(ReadFileBytes(dir.Path("x.bmp")).size(), dib.m_dwBufSize);
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

namespace {
// Stores the image and then a marker through one archive, as a document would.
std::vector<BYTE> Archive(CDib& dib, const TempDir& dir, DWORD marker = 0xA5C3F00D) {
    CFile file(dir.Path("ar.bin").c_str(), CFile::modeCreate | CFile::modeWrite);
    {
        CArchive ar(&file, CArchive::store);
        dib.Serialize(ar);
        ar << marker;
        ar.Close();
    }
    file.Close();
    return ReadFileBytes(dir.Path("ar.bin"));
}

DWORD LoadArchive(CDib& dib, const TempDir& dir, const std::vector<BYTE>& bytes) {
    WriteFileBytes(dir.Path("ar.bin"), bytes);
    CFile file(dir.Path("ar.bin").c_str(), CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    dib.Serialize(ar);
    DWORD marker = 0;
    try {
        ar >> marker;
    } catch (const CArchiveException&) {
    }
    return marker;
}
}  // namespace

TEST(BmpArchive, StoreAndLoadGiveTheSameImageAndKeepTheStreamInStep) {
    TempDir dir;
    CDib a, b;
    BmpFields fields;
    fields.nBitCount = 4;
    fields.nWidth = 19;
    LoadFrom(a, dir, MakeBmpFile(fields));
    std::vector<BYTE> bytes = Archive(a, dir);
    // The archive form is the file image followed by what came after it.
    ASSERT_EQ(bytes.size(), a.m_dwBufSize + 4);
    EXPECT_EQ(std::vector<BYTE>(bytes.begin(), bytes.end() - 4), MakeBmpFile(fields));
    EXPECT_EQ(LoadArchive(b, dir, bytes), 0xA5C3F00Du);
    EXPECT_EQ(Snapshot(a), Snapshot(b));
    EXPECT_EQ(b.m_nPlaneWidth, b.m_nRowBytes);
}

TEST(BmpArchive, EmptyImageIsSixBytesAndLoadsAsEmpty) {
    TempDir dir;
    CDib empty, loaded;
    std::vector<BYTE> bytes = Archive(empty, dir, 7);
    EXPECT_EQ(bytes, (std::vector<BYTE>{'B', 'M', 0, 0, 0, 0, 7, 0, 0, 0}));
    ASSERT_TRUE(loaded.Create(5, 5, 8));
    EXPECT_EQ(LoadArchive(loaded, dir, bytes), 7u);
    EXPECT_FALSE(loaded.IsValid());
    EXPECT_EQ(loaded.m_dwBufSize, 0u);
    EXPECT_EQ(loaded.m_nWidth, 0);
    EXPECT_EQ(loaded.m_lpBits, nullptr);
    // And saving it now writes an empty file, as for any empty image.
    EXPECT_TRUE(loaded.SaveBmp(dir.Path("e.bmp").c_str()));
    EXPECT_TRUE(ReadFileBytes(dir.Path("e.bmp")).empty());
}

TEST(BmpArchive, BadArchivesLeaveTheImageAsItWas) {
    TempDir dir;
    CDib source;
    LoadFrom(source, dir, MakeBmpFile({}));
    std::vector<BYTE> good = Archive(source, dir);

    std::vector<BYTE> badSignature = good;
    badSignature[0] = 'X';
    std::vector<BYTE> truncated(good.begin(), good.end() - 30);
    std::vector<BYTE> sizeTooLarge = good;
    PutDword(sizeTooLarge, 2, 0xFFFFFF00u);
    std::vector<BYTE> badContent = good;
    PutDword(badContent, 14 + 14, 0xFFFF);  // 65535 bits per pixel
    std::vector<BYTE> headerOnly = {'B', 'M'};
    struct Case {
        const char* what;
        const std::vector<BYTE>& bytes;
        const char* message;
    } cases[] = {
        {"signature", badSignature, "Invalid DIB "},
        {"truncated", truncated, "Read error"},
        {"size beyond the file", sizeTooLarge, "Read error"},
        {"bit count", badContent, "非法的BMP图像格式！"},
        {"no size", headerOnly, "Read error"},
    };
    for (const Case& c : cases) {
        CDib dib;
        ASSERT_TRUE(dib.Create(6, 2, 24, nullptr, 77));
        DibSnapshot before = Snapshot(dib);
        ClearMessages();
        LoadArchive(dib, dir, c.bytes);
        EXPECT_EQ(LastMessage(), c.message) << c.what;
        EXPECT_NE(dib.m_nError, 0) << c.what;
        EXPECT_TRUE(Snapshot(dib) == before) << c.what;
    }
}

TEST(BmpFiles, TheSampleImagesLoad) {
    struct Sample {
        const char* name;
        int width, height, bits;
    } samples[] = {{"rings-24bit.bmp", 320, 240, 24}, {"shapes-8bit.bmp", 256, 256, 8}, {"map-24bit.bmp", 300, 200, 24}};
    for (const Sample& s : samples) {
        CDib dib;
        ASSERT_TRUE(dib.LoadBmp((std::string(MORO_SOURCE_DIR) + "/samples/" + s.name).c_str())) << s.name;
        EXPECT_EQ(dib.m_nWidth, s.width) << s.name;
        EXPECT_EQ(dib.m_nHeight, s.height) << s.name;
        EXPECT_EQ(dib.m_nBitCount, s.bits) << s.name;
    }
}
