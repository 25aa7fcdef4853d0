// JPEG files written by another program load with the pixels that program decodes; hostile
// headers are refused before anything is allocated.
#include <gtest/gtest.h>

#include "tests/support/Foreign.h"
#include "tests/support/Recorder.h"

using namespace moro_test;

TEST(JpegFiles, GreyColourProgressiveAndCmykFilesLoadAsTheOtherProgramDecodesThem) {
    for (const char* name : {"grey.jpg", "rgb.jpg", "progressive.jpg", "cmyk.jpg"}) ExpectLoadsAsTheOtherProgramDecodesIt(name);
}

TEST(JpegFiles, DamagedAndHostileFilesChangeNothing) {
    TempDir dir;
    std::vector<BYTE> good = ReadFileBytes(ForeignFile("rgb.jpg"));
    // The frame header's height and width (SOF0 at its marker + 5) set to 65000 x 65000.
    std::vector<BYTE> huge = good;
    for (size_t i = 2; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = huge[i + 7] = 0xFD;
            huge[i + 6] = huge[i + 8] = 0xE8;
            break;
        }
    CDib dib;
    MakePicture(dib, 5, 5, 8);
    for (const std::vector<BYTE>& bytes : {std::vector<BYTE>{0xFF, 0xD8, 0xFF}, std::vector<BYTE>(good.begin(), good.begin() + 40), huge}) {
        WriteFileBytes(dir.Path("x.jpg"), bytes);
        DibSnapshot before = Snapshot(dib);
        dib.m_nError = 0;
        EXPECT_FALSE(dib.LoadFile(dir.Path("x.jpg").c_str()));
        EXPECT_EQ(dib.m_nError, 2);
        EXPECT_EQ(LastMessage(), "读取JPEG图像文件失败！");
        EXPECT_TRUE(Snapshot(dib) == before);
    }
}
